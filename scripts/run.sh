#!/usr/bin/env bash
# Builds Plomet and starts it. With a display, the main window opens; without
# one, the command line renders the default seal to plomet-seal.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target PlometSample plomet
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/default/app/PlometSample "$@"
else
  build/default/cli/plomet render -o plomet-seal.png "$@"
  echo "No display: rendered the default seal to $(pwd)/plomet-seal.png"
fi
