#!/usr/bin/env bash
# The manual pages against the programs' own --help, and the exporter's shell
# completion too: every option in one is in the others, the pages format
# without warnings, and completion offers the solid keys after --solid.
#   check-cli-docs.sh PROGRAM EXPORTER SOURCE_DIR
set -euo pipefail
program="$1"
exporter="$2"
src="$3"
fail=0

options_of() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
page_options() { sed 's/\\-/-/g' "$src/data/man/$1.1" | options_of; }
completion="$src/data/completion/whirligons-export"

compare() {
  local what="$1" help="$2" theirs="$3"
  if [ "$help" != "$theirs" ]; then
    echo "check-cli-docs: $what and --help list different options:" >&2
    diff <(echo "$help") <(echo "$theirs") >&2 || true
    fail=1
  fi
}
export_options="$("$exporter" --help 2>&1 | options_of)"
compare "whirligons-export(1)" "$export_options" "$(page_options whirligons-export)"
compare "the bash completion" "$export_options" \
  "$(sed -n '/compgen -W "--/,/"/p' "$completion" | options_of)"
# The designer answers --help without a display.
compare "whirligons(1)" "$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help | options_of)" \
  "$(page_options whirligons)"

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
