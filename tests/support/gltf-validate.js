// Prints each glTF file's error and warning counts from the Khronos validator
// (and their messages); exits 1 when any file has either, 3 when the
// validator (the copy .ci/run installs, else one on NODE_PATH) is missing.
'use strict';
const fs = require('fs'), path = require('path');

async function main(files) {
  let validator = null;
  for (const where of [path.join(__dirname, '../../.node-tools/node_modules/gltf-validator'),
                       'gltf-validator']) {
    try {
      validator = validator || require(where);
    } catch (e) {
      if (e.code !== 'MODULE_NOT_FOUND') throw e;
    }
  }
  if (!validator) return console.error('gltf-validator is not installed'), 3;
  let bad = 0;
  for (const file of files) {
    const {issues} = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)),
                                                   {uri: path.basename(file), maxIssues: 20});
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    issues.messages.filter((m) => m.severity <= 1)
        .forEach((m) => console.log(`  ${m.code} ${m.pointer || ''}: ${m.message}`));
    bad += issues.numErrors > 0 || issues.numWarnings > 0;
  }
  return bad > 0 ? 1 : 0;
}

main(process.argv.slice(2))
    .then((code) => process.exit(code), (error) => (console.error(String(error)), process.exit(2)));
