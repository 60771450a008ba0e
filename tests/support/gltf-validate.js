// Checks glTF files with the Khronos validator library: prints each file's
// error and warning counts (and their messages) and exits 1 when any file
// has either, 3 when the validator is not installed.
'use strict';
const fs = require('fs');
const path = require('path');

function loadValidator() {
  // The copy .ci/run installs beside the sources, else one on NODE_PATH.
  for (const where of [path.join(__dirname, '../../.node-tools/node_modules/gltf-validator'),
                       'gltf-validator']) {
    try {
      return require(where);
    } catch (e) {
      if (e.code !== 'MODULE_NOT_FOUND') throw e;
    }
  }
  return null;
}

async function main(files) {
  const validator = loadValidator();
  if (!validator) {
    console.error('gltf-validator is not installed');
    return 3;
  }
  let bad = 0;
  for (const file of files) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: path.basename(file),
      maxIssues: 20,
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const m of issues.messages)
      if (m.severity <= 1) console.log(`  ${m.code} ${m.pointer || ''}: ${m.message}`);
    if (issues.numErrors > 0 || issues.numWarnings > 0) ++bad;
  }
  return bad > 0 ? 1 : 0;
}

main(process.argv.slice(2)).then(
    (code) => process.exit(code),
    (error) => {
      console.error(String(error));
      process.exit(2);
    });
