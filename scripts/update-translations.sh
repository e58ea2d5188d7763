#!/bin/sh
# Brings translations/plomet_zh_CN.ts (the command line's texts, and the
# stamp dialog's) and translations/plomet_app_zh_CN.ts (the other windows')
# up to date with the texts in the code (new ones come in unfinished;
# translate them in Qt Linguist or the file).
set -eu
cd "$(dirname "$0")/.."
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
. translations/sources.sh
"$lupdate" -I . -no-obsolete -locations none $PLOMET_CLI_TEXTS -ts translations/plomet_zh_CN.ts
"$lupdate" -I . -no-obsolete -locations none $PLOMET_APP_TEXTS -ts translations/plomet_app_zh_CN.ts
