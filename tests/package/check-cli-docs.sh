#!/usr/bin/env bash
# The exporter's manual page and shell completion against its own --help:
# every option in one is in the others, the pages format without warnings,
# and completion offers the solid keys after --solid.
#   check-cli-docs.sh EXPORTER SOURCE_DIR
set -euo pipefail
exporter="$1"
src="$2"
fail=0

options_of() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
help_options="$("$exporter" --help 2>&1 | options_of)"
man_options="$(sed 's/\\-/-/g' "$src/data/man/whirligons-export.1" | options_of)"
completion="$src/data/completion/whirligons-export"
completion_options="$(sed -n '/compgen -W "--/,/"/p' "$completion" | options_of)"

compare() {
  local what="$1" theirs="$2"
  if [ "$help_options" != "$theirs" ]; then
    echo "check-cli-docs: $what and --help list different options:" >&2
    diff <(echo "$help_options") <(echo "$theirs") >&2 || true
    fail=1
  fi
}
compare "whirligons-export(1)" "$man_options"
compare "the bash completion" "$completion_options"

for page in "$src"/data/man/*.1; do
  warnings="$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null || true)"
  if [ -n "$warnings" ]; then
    echo "check-cli-docs: $(basename "$page"): $warnings" >&2
    fail=1
  fi
done

offered="$(bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1"
  COMP_WORDS=(whirligons-export --solid T)
  COMP_CWORD=2
  COMP_LINE="whirligons-export --solid T"
  COMP_POINT=${#COMP_LINE}
  _whirligons_export whirligons-export T --solid
  echo "${COMPREPLY[*]}"' _ "$completion")"
if [ "$offered" != "Tetra TTet TCube TOcta TCOcta TDodec TIcosa TIcosi" ]; then
  echo "check-cli-docs: completion after --solid T offers '$offered'" >&2
  fail=1
fi
exit $fail
