#!/bin/sh
# The Chinese translation is complete: lupdate over the sources finds no text
# that the .ts lacks, and no entry is unfinished. Run on a copy, so the tree
# stays as it is.
# usage: check_translations.sh LUPDATE SOURCE_DIR
set -eu
lupdate=$1 src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$src/translations/plomet_zh_CN.ts" "$tmp/check.ts"
(cd "$src" && "$lupdate" -I . -no-obsolete -locations none cli translations seal formats stamp app/StampDialog.h app/StampDialog.cpp \
    -ts "$tmp/check.ts") >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
if grep -q 'type="unfinished"\|type="vanished"\|type="obsolete"' "$tmp/check.ts"; then
    echo "untranslated or changed texts (run scripts/update-translations.sh and translate them):"
    grep -B3 'type="unfinished"' "$tmp/check.ts" | grep '<source>' | head -20
    exit 1
fi
cmp -s "$src/translations/plomet_zh_CN.ts" "$tmp/check.ts" || {
    echo "translations/plomet_zh_CN.ts is not up to date with the sources:"
    diff "$src/translations/plomet_zh_CN.ts" "$tmp/check.ts" | head -20
    exit 1
}
echo "complete: $(grep -c '<message>' "$tmp/check.ts") texts"
