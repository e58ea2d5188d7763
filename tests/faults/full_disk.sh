#!/usr/bin/env bash
# A real full file system: a 256 KiB tmpfs, old files on it, the rest
# filled up; then every writer of the command line tries to replace its
# file. Each must fail with one line and a non-zero exit, and leave the old
# file byte for byte. Skipped (77) where tmpfs cannot be mounted.
#   full_disk.sh PLOMET_BINARY
set -uo pipefail
plomet=$1
work=$(mktemp -d /tmp/plomet-full.XXXXXX)
mnt="$work/fs"
mkdir -p "$mnt"
export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cleanup() { umount "$mnt" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
if ! mount -t tmpfs -o size=256k tmpfs "$mnt" 2>/dev/null; then
  echo "SKIP: cannot mount a tmpfs here"
  exit 77
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The old files, and copies outside the full file system to compare with.
"$plomet" write "$mnt/seal.PMF" || fail "could not write the old description file"
for ext in png bmp svg pdf; do
  "$plomet" render -o "$mnt/seal.$ext" || fail "could not write the old $ext"
done
mkdir "$work/old"
cp "$mnt"/seal.* "$work/old/"
# Fill the file system to the last block.
dd if=/dev/zero of="$mnt/filler" bs=4k 2>/dev/null
dd if=/dev/zero of="$mnt/filler2" bs=1 2>/dev/null
rm -f "$mnt/filler2"
df -k "$mnt" | tail -1

long=$(head -c 30000 /dev/zero | tr '\0' 'x')
try() {
  local what=$1 file=$2
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  if [ "$rc" = 0 ]; then
    fail "$what: reported success on a full disk"
  elif [ "$rc" -gt 2 ]; then
    fail "$what: exit code $rc (a crash?)"
  fi
  [ "$(wc -l <"$work/err")" = 1 ] || fail "$what: not one line on stderr: $(cat "$work/err")"
  cmp -s "$mnt/$file" "$work/old/$file" || fail "$what: the old file changed"
  echo "$what: exit $rc: $(cat "$work/err")"
}
try "description file" seal.PMF "$plomet" write "$mnt/seal.PMF" --set "rText=$long"
for ext in png bmp svg pdf; do
  try "$ext export" "seal.$ext" "$plomet" render -o "$mnt/seal.$ext" --set "rText=$long" --dpi 600
done
stray=$(ls -A "$mnt" | grep -v -E '^(seal\.(PMF|png|bmp|svg|pdf)|filler)$' || true)
[ -z "$stray" ] || fail "stray files: $stray"
[ "$failures" = 0 ] && echo "full disk: 5 writers refused, old files whole" || exit 1
