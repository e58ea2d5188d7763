#!/bin/sh
# The Chinese translations are complete: lupdate over the sources finds no
# text that a .ts lacks, and no entry is unfinished. Run on copies, so the
# tree stays as it is.
# usage: check_translations.sh LUPDATE SOURCE_DIR
set -eu
lupdate=$1 src=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$src"
. translations/sources.sh

check() { # check TS SOURCES
    ts=$1 sources=$2 copy="$tmp/$(basename "$1")"
    cp "$ts" "$copy"
    "$lupdate" -I . -no-obsolete -locations none $sources -ts "$copy" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
    if grep -q 'type="unfinished"\|type="vanished"\|type="obsolete"' "$copy"; then
        echo "$ts: untranslated or changed texts (run scripts/update-translations.sh and translate them):"
        grep -B3 'type="unfinished"' "$copy" | grep '<source>' | head -20
        exit 1
    fi
    cmp -s "$ts" "$copy" || {
        echo "$ts is not up to date with the sources:"
        diff "$ts" "$copy" | head -20
        exit 1
    }
    echo "$ts complete: $(grep -c '<message>' "$copy") texts"
}
check translations/plomet_zh_CN.ts "$PLOMET_CLI_TEXTS"
check translations/plomet_app_zh_CN.ts "$PLOMET_APP_TEXTS"
