#!/usr/bin/env bash
# Builds the Debian package of Plomet with CPack: build/package/plomet_<version>_<arch>.deb
# (dependencies found by dpkg-shlibdeps). Install it with
#   sudo apt install ./build/package/plomet_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target PlometSample plomet plomet_icons plomet_man
mkdir -p build/package
(cd build/package && cpack --config ../default/CPackConfig.cmake -B "$PWD" >/dev/null)
rm -rf build/package/_CPack_Packages
ls build/package/plomet_*.deb
