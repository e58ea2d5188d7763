#!/usr/bin/env bash
# Checks an installed Plomet: run as  check_installed.sh ROOT  where ROOT/usr
# (or ROOT/<prefix>) holds what `cmake --install` or the .deb put there.
#   - desktop entry and AppStream metainfo pass desktop-file-validate and
#     appstreamcli validate
#   - after update-mime-database, xdg-mime gives application/x-plomet-seal for
#     *.PMF, *.pmf and for a file without extension by its first line (GBK),
#     and the desktop entry is the default application for it
#   - the icons exist in SVG and every PNG size, of that size
#   - the manual pages hold every option the installed programs' --help
#     names, and bash completion offers exactly the commands and options of
#     the live --help
#   - the installed plomet renders a seal, and a worn PDF through the installed
#     plomet-documents; the installed PlometSample starts
#     under X, keeps its default file per user and opens a file by argument
#   - a double click: xdg-open of a .PMF starts the installed PlometSample
#     through the desktop entry, and it opens that file
set -euo pipefail
root=$(cd "$1" && pwd)
prefix=${2:-/usr}
usr="$root$prefix"
bin="$usr/bin"
share="$usr/share"
id=org.plomet.Plomet

fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d /tmp/plomet-installed.XXXXXX)
app_pid=""
cleanup() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill -9 "$app_pid" 2>/dev/null || true; fi
  if [ -n "${own_xvfb:-}" ]; then kill "$own_xvfb" 2>/dev/null || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
export HOME="$tmp/home" XDG_DATA_HOME="$tmp/home/.local/share" XDG_CONFIG_HOME="$tmp/home/.config"
mkdir -p "$XDG_DATA_HOME"

for f in "$bin/PlometSample" "$bin/plomet" "$share/applications/$id.desktop" "$share/metainfo/$id.metainfo.xml" \
         "$share/mime/packages/$id.xml" "$share/icons/hicolor/scalable/apps/$id.svg" \
         "$share/man/man1/plomet.1" "$share/man/man1/PlometSample.1" \
         "$share/bash-completion/completions/plomet"; do
  [ -e "$f" ] || fail "not installed: ${f#$root}"
done

# --- validation
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo does not validate"
grep -q '^Name\[zh_CN\]=' "$share/applications/$id.desktop" || fail "no Chinese name"
grep -q '^MimeType=application/x-plomet-seal;' "$share/applications/$id.desktop" || fail "desktop entry does not take the seal type"

# --- file type and default application, through the desktop's own tools
update-mime-database "$share/mime" >/dev/null
update-desktop-database "$share/applications" >/dev/null 2>&1 || true
export XDG_DATA_DIRS="$share:/usr/share" XDG_CURRENT_DESKTOP=GNOME
printf '电子公章描述文件\r\n' | iconv -f UTF-8 -t GBK >"$tmp/header"
cat "$tmp/header" >"$tmp/seal.PMF"
cat "$tmp/header" >"$tmp/lower.pmf"
cat "$tmp/header" >"$tmp/no-extension"
echo 'plain text' >"$tmp/other.txt"
for f in seal.PMF lower.pmf no-extension; do
  t=$(xdg-mime query filetype "$tmp/$f")
  [ "$t" = application/x-plomet-seal ] || fail "xdg-mime gives '$t' for $f"
done
t=$(xdg-mime query filetype "$tmp/other.txt")
[ "$t" != application/x-plomet-seal ] || fail "a text file is taken for a seal file"
d=$(xdg-mime query default application/x-plomet-seal)
[ "$d" = "$id.desktop" ] || fail "default application for seal files is '$d'"

# --- icons: the SVG and each PNG at its own size
for png in "$share"/icons/hicolor/*x*/apps/$id.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "$size" ] || fail "icon $size is $got"
done
[ "$(ls "$share"/icons/hicolor/*x*/apps/$id.png | wc -l)" -ge 6 ] || fail "too few icon sizes"
grep -q '<svg' "$share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

# --- manual pages and completion against the live --help
export QT_QPA_PLATFORM=offscreen
# The help the manual page and the completion read: the C locale's.
help_of() { LC_ALL=C "$@"; }
options_of() { grep -oE '(^|[[:space:],\[])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[[:space:],\[]+//' | sort -u; }
man_text() { MANWIDTH=200 man -l "$1" 2>/dev/null | col -b; }
for program in plomet PlometSample; do
  # plomet's manual page is its --help-all (the short --help lists only the commands).
  help=--help; [ "$program" = plomet ] && help=--help-all
  help_of "$bin/$program" "$help" >"$tmp/$program.help" 2>&1 || fail "$program $help failed"
  man_text "$share/man/man1/$program.1" >"$tmp/$program.man"
  [ -s "$tmp/$program.man" ] || fail "the manual page of $program is empty"
  while read -r opt; do
    grep -qe "$opt" "$tmp/$program.man" || fail "the manual page of $program lacks $opt (in --help)"
  done < <(options_of <"$tmp/$program.help")
done
# shellcheck disable=SC1091
. "$share/bash-completion/completions/plomet"
complete_words() {   # complete_words word... : what completing the last word offers
  COMP_WORDS=("$bin/plomet" "$@"); COMP_CWORD=$#; COMPREPLY=()
  _plomet
  printf '%s\n' "${COMPREPLY[@]}" | sort -u
}
# From a file: awk stops reading early, which would leave plomet writing into a closed pipe.
help_of "$bin/plomet" --help >"$tmp/commands.help" 2>/dev/null
commands=$(awk '/^Commands:/ {f=1; next} f && /^[[:space:]]*$/ {exit} f {print $1}' "$tmp/commands.help" | sort -u)
[ -n "$commands" ] || fail "plomet --help lists no commands"
[ "$(complete_words '' | grep -v '^--help$')" = "$commands" ] || fail "completion of commands differs from --help"
for c in $commands; do
  expected=$(help_of "$bin/plomet" "$c" --help 2>&1 | options_of)
  got=$(complete_words "$c" -)
  [ "$got" = "$expected" ] || fail "completion of '$c -' differs from its --help: $(diff <(echo "$expected") <(echo "$got") | tr '\n' ' ')"
done
got=$(complete_words render --format '')
[ "$(echo $got)" = "bmp pdf png svg" ] || fail "completion of render --format gives '$(echo $got)'"

# --- the installed command line draws
"$bin/plomet" render -o "$tmp/seal.png" --set rText=安装测试有限公司 2>/dev/null
[ "$(identify -format '%wx%h' "$tmp/seal.png")" = 137x137 ] || fail "installed plomet did not render a 137 x 137 seal"
"$bin/plomet" write "$tmp/opened.PMF" --set rText=按参数打开有限公司 --set Degree=30 2>/dev/null
# A worn PDF is edited by qpdf, in the installed plomet-documents.
"$bin/plomet" render -o "$tmp/worn.pdf" --set Aging=30 2>/dev/null || fail "installed plomet did not write a worn PDF"
grep -aq '/SMask' "$tmp/worn.pdf" || fail "the installed plomet's worn PDF has no soft mask"

# --- the installed program under X: per-user default file, open by argument
if [ -z "${DISPLAY:-}" ]; then
  dpy_file="$tmp/dpy"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dpy_file" >/dev/null 2>&1 &
  own_xvfb=$!
  for _ in $(seq 1 100); do [ -s "$dpy_file" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$dpy_file")"
fi
unset QT_QPA_PLATFORM
wait_for() { local n=$1; shift; for _ in $(seq 1 $((n * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
main_window() { xdotool search --all --onlyvisible --pid "$app_pid" --name '^Qorvel公章生成 v2.5$' | head -1; }
PLOMET_MARK_FIRST_PAINT=1 "$bin/PlometSample" "$tmp/opened.PMF" >"$tmp/app.log" 2>&1 &
app_pid=$!
wait_for 20 main_window || { cat "$tmp/app.log" >&2; fail "the installed PlometSample showed no window"; }
wait_for 20 grep -q '^plomet: first paint' "$tmp/app.log" || fail "the installed PlometSample did not paint"
kill -TERM "$app_pid"
wait_for 10 bash -c "! kill -0 $app_pid" || fail "the installed PlometSample did not end on SIGTERM"
app_pid=""
per_user="$XDG_DATA_HOME/PlometSample/Plomet.PMF"
[ -f "$per_user" ] || fail "no per-user default file at ~/.local/share/PlometSample/Plomet.PMF"
[ ! -e "$bin/Plomet.PMF" ] || fail "the installed program wrote its default file among the programs"
line6=$(iconv -f GBK -t UTF-8 "$per_user" | tr -d '\r' | sed -n 6p)
[ "$line6" = 按参数打开有限公司 ] || fail "the file given as argument was not opened (rText '$line6')"

# --- a double click in a file manager: xdg-open asks for the type's default
# application and runs its desktop entry's Exec line, found on the PATH
"$bin/plomet" write "$tmp/clicked.PMF" --set rText=双击打开有限公司 2>/dev/null
PATH="$bin:$PATH" xdg-open "$tmp/clicked.PMF" >"$tmp/xdg-open.log" 2>&1 \
  || { cat "$tmp/xdg-open.log" >&2; fail "xdg-open of a seal file failed"; }
any_main_window() { xdotool search --all --onlyvisible --name '^Qorvel公章生成 v2.5$' | sed -n 1p | grep .; }
wait_for 20 any_main_window || { cat "$tmp/xdg-open.log" >&2; fail "xdg-open of a seal file showed no Plomet window"; }
app_pid=$(xdotool getwindowpid "$(any_main_window)")
[ "$(readlink "/proc/$app_pid/exe")" = "$(readlink -f "$bin/PlometSample")" ] || fail "xdg-open did not start the installed PlometSample"
kill -TERM "$app_pid"
wait_for 10 bash -c "! kill -0 $app_pid" || fail "PlometSample started by xdg-open did not end on SIGTERM"
app_pid=""
line6=$(iconv -f GBK -t UTF-8 "$per_user" | tr -d '\r' | sed -n 6p)
[ "$line6" = 双击打开有限公司 ] || fail "the double-clicked file was not opened (rText '$line6')"
echo PASS
