#!/usr/bin/env bash
# Mutation sampler: plants small faults in a private copy of src/ one at a
# time and tells which the tests catch. See scripts/mutation.py --help.
#   mutation.sh [count] [seed]      e.g. mutation.sh 150 2026
exec python3 "$(dirname "${BASH_SOURCE[0]}")/mutation.py" "$@"
