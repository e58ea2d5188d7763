#!/usr/bin/env bash
# The seal's context menu in the real program: a right click on the seal,
# "导出图片…", 600 dpi with a transparent background, a file name typed into
# the file dialog; the PNG has the seal's physical size at 600 dpi, records
# that resolution and is clear at its corner. Then the same for a PDF.
# Set PLOMET_SHOTS to a folder to keep the screenshots.
. "$(dirname "$0")/lib.sh"

shots=${PLOMET_SHOTS:-$GUI_TMP}
mkdir -p "$shots"
app=$(gui_make_appdir)
out="$GUI_TMP/out"
mkdir -p "$out"

gui_start "$app"

# export_via_menu <file> <keys for the options dialog...>
export_via_menu() {
  local file=$1; shift
  local ox oy
  read -r ox oy < <(gui_window_origin "$GUI_WIN")
  # The seal: 137 x 137 px from (48, 32). Away first, so the move is a move.
  xdotool mousemove --sync $(( ox + 5 )) $(( oy + 5 ))
  xdotool mousemove --sync $(( ox + 48 + 68 )) $(( oy + 32 + 100 )) click 3
  gui_wait_popup 10 >/dev/null || gui_fail "the context menu did not open"
  gui_screenshot "$shots/export-menu.png"
  xdotool key Down Return
  local ask
  ask=$(gui_find_window '^导出图片$' 10) || gui_fail "the export dialog did not open"
  gui__pointer_into "$ask"
  gui_wait_focus "$ask" 10 || gui_fail "the export dialog did not take the keyboard focus"
  [ $# -eq 0 ] || xdotool key "$@"
  sleep 0.2
  gui_screenshot "$shots/export-dialog.png" "$ask"
  xdotool key Return
  # The file dialog bears the same title; wait for the options dialog to go.
  gui_wait_for 5 bash -c "! xdotool search --all --onlyvisible --pid $GUI_PID --name '^导出图片\$' | grep -qx '$ask'" \
    || gui_fail "the export dialog did not close"
  local files
  files=$(gui_find_window '^导出图片$' 10) || gui_fail "the file dialog did not open"
  gui__pointer_into "$files"
  gui_wait_focus "$files" 10 || gui_fail "the file dialog did not take the keyboard focus"
  xdotool key ctrl+a
  xdotool type --delay 10 "$file"
  xdotool key Return
  gui_wait_for 10 test -s "$file" || gui_fail "$file was not written"
}

# --- PNG at 600 dpi, transparent (checked by default): Tab to the resolution.
export_via_menu "$out/seal600.png" Tab ctrl+a 6 0 0
read -r w h < <(identify -format '%w %h\n' "$out/seal600.png")
# 2055 twips x 600 / 1440 = 856.25 pixels
gui_expect_eq "PNG size at 600 dpi" "856 856" "$w $h"
dpi=$(identify -units PixelsPerInch -format '%x' "$out/seal600.png")
case $dpi in 599.9*|600*) ;; *) gui_fail "PNG resolution: expected 600 dpi, got $dpi" ;; esac
corner=$(convert "$out/seal600.png" -format '%[fx:int(255*p{0,0}.a)]' info:)
gui_expect_eq "alpha at the corner" 0 "$corner"
ring=$(convert "$out/seal600.png" -alpha extract -threshold 50% -format '%[fx:int(1000*mean)]' info:)
[ "$ring" -gt 20 ] || gui_fail "the PNG is almost empty (opaque share ${ring}‰)"

# --- PDF: the format list is the first field; End picks its last entry.
export_via_menu "$out/seal.pdf" End
pages=$(pdfinfo "$out/seal.pdf" | awk '/^Pages:/ {print $2}')
gui_expect_eq "PDF pages" 1 "$pages"
size=$(pdfinfo "$out/seal.pdf" | awk '/^Page size:/ {print $3, $5}')
case $size in "102.75 102.75"|"103 103"|"102 102") ;; *) gui_fail "PDF page size: $size pt" ;; esac

gui_close
gui_wait_exit 10
echo "export_menu: ok"
