#!/usr/bin/env bash
# "从图片提取印章…" in the real program: the seal's context menu, a scan
# typed into the open dialog, the extraction dialog's preview, Return saves
# the PNG under a name typed into the save dialog; the PNG is clear at its
# corner and records the scan's 300 dpi.
# Set PLOMET_SHOTS to a folder to keep the screenshots.
. "$(dirname "$0")/lib.sh"

shots=${PLOMET_SHOTS:-$GUI_TMP}
mkdir -p "$shots"
app=$(gui_make_appdir)
scan="$GUI_TMP/scan.png"
out="$GUI_TMP/seal.png"
"$GUI_BUILD_DIR/cli/plomet" render -o "$scan" --dpi 300 --set Width=40mm --set Height=40mm

gui_start "$app"

read -r ox oy < <(gui_window_origin "$GUI_WIN")
xdotool mousemove --sync $(( ox + 5 )) $(( oy + 5 ))
xdotool mousemove --sync $(( ox + 48 + 68 )) $(( oy + 32 + 100 )) click 3
gui_wait_popup 10 >/dev/null || gui_fail "the context menu did not open"
# 导出图片…, 盖章到PDF…, then 从图片提取印章…
xdotool key Down Down Down Return
files=$(gui_find_window '^从图片提取印章$' 10) || gui_fail "the file dialog did not open"
gui__pointer_into "$files"
gui_wait_focus "$files" 10 || gui_fail "the file dialog did not take the keyboard focus"
xdotool key ctrl+a
xdotool type --delay 10 "$scan"
xdotool key Return
# The extraction dialog bears the file dialog's title: wait for another window.
other_window() { xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^从图片提取印章$' 2>/dev/null | grep -vqx "$files"; }
gui_wait_for 20 other_window || gui_fail "the extraction dialog did not open"
dialog=$(xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^从图片提取印章$' | grep -vx "$files" | head -1)
gui__pointer_into "$dialog"
gui_wait_focus "$dialog" 10 || gui_fail "the extraction dialog did not take the keyboard focus"
gui_screenshot "$shots/extract-dialog.png" "$dialog"
xdotool key Return
gui_dialog_type '^保存印章$' "$out"
gui_wait_for 10 test -s "$out" || gui_fail "$out was not written"
gui_wait_gone '^从图片提取印章$' 10 || gui_fail "the extraction dialog stayed open after saving"

dpi=$(identify -units PixelsPerInch -format '%x' "$out")
case $dpi in 299.9*|300*) ;; *) gui_fail "PNG resolution: expected 300 dpi, got $dpi" ;; esac
corner=$(convert "$out" -format '%[fx:int(255*p{0,0}.a)]' info:)
gui_expect_eq "alpha at the corner" 0 "$corner"
ring=$(convert "$out" -alpha extract -threshold 50% -format '%[fx:int(1000*mean)]' info:)
[ "$ring" -gt 20 ] || gui_fail "the PNG is almost empty (opaque share ${ring}‰)"

gui_close
gui_wait_exit 10
echo "extract_seal: ok"
