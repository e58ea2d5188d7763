#!/bin/sh
# Brings translations/plomet_zh_CN.ts up to date with the texts in the code
# (new ones come in unfinished; translate them in Qt Linguist or the file).
set -eu
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
"$lupdate" -I . -no-obsolete -locations none cli translations seal formats stamp app/StampDialog.h app/StampDialog.cpp \
    -ts translations/plomet_zh_CN.ts
