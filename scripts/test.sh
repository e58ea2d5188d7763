#!/usr/bin/env bash
# Builds Plomet and runs every test: unit tests, the command line, the real
# program under Xvfb with a real clipboard and a real CUPS print queue.
#   scripts/test.sh           everything
#   scripts/test.sh --quick   the default build's tests only
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/bootstrap.sh
. scripts/services.sh
trap plomet_stop_services EXIT
plomet_start_xvfb
plomet_start_cups

jobs=$(nproc)
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

if [ "$quick" = 1 ]; then exit 0; fi
for stage in scripts/test-stages/*.sh; do
  [ -e "$stage" ] || continue
  echo "== $(basename "$stage")"
  bash "$stage"
done
