#!/usr/bin/env bash
# The desktop program as people use it: a file given on the command line, a
# file dragged from another program onto the window (a real X drag, XDND),
# undo and redo from the keyboard, the settings dialog's preview following
# the typing, and the seal drawn sharp at a device pixel ratio of 2.
. "$(dirname "$0")/lib.sh"

PLOMET="$GUI_BUILD_DIR/cli/plomet"
DRAGSOURCE="$GUI_BUILD_DIR/tests/gui/plomet_dragsource"
export QT_QPA_PLATFORM=xcb

# seal_shot <file>: the seal control's pixels (137 x 137 at (48, 32)).
seal_shot() { gui_screenshot "$GUI_TMP/win.png" "$GUI_WIN" && convert "$GUI_TMP/win.png" -crop 137x137+48+32 +repage "$1"; }
# differs <a> <b>: the two pictures differ in more than 20 pixels.
differs() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" -gt 20 ]; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = 0 ]; }
shot_differs_from() { seal_shot "$GUI_TMP/now.png"; differs "$GUI_TMP/now.png" "$1"; }
shot_same_as() { seal_shot "$GUI_TMP/now.png"; same "$GUI_TMP/now.png" "$1"; }

"$PLOMET" write "$GUI_TMP/given.PMF" --set rText=参数打开有限公司 --set Degree=30 2>/dev/null
"$PLOMET" write "$GUI_TMP/dropped.pmf" --set rText=拖放打开有限公司 --set Degree=120 2>/dev/null
printf 'GIF89a not a seal\r\n' >"$GUI_TMP/wrong.PMF"

# --- open by argument
app=$(gui_make_appdir)
GUI_ARGS=("$GUI_TMP/given.PMF")
gui_start "$app"
GUI_ARGS=()
gui_close; gui_wait_exit 10
gui_expect_eq "rText after opening by argument" 参数打开有限公司 "$(gui_pmf_line "$app/Plomet.PMF" 6)"
gui_expect_eq "Degree after opening by argument" 30 "$(gui_pmf_line "$app/Plomet.PMF" 19)"
cp "$app/Plomet.PMF" "$GUI_TMP/before-wrong.PMF"

# --- a wrong header by argument: the fixed message, then the last seal
env PLOMET_MARK_FIRST_PAINT=1 "$app/PlometSample" "$GUI_TMP/wrong.PMF" >"$app/stdout.log" 2>"$app/stderr.log" &
GUI_PID=$!
box=$(gui_find_window '^PlometSample$' 15) || gui_fail "no message for a wrong header given by argument"
gui_dialog_key '^PlometSample$' Return
gui_wait_for 15 gui__find_main || gui_fail "main window did not appear after the message"
GUI_WIN=$(gui__find_main)
gui_close; gui_wait_exit 10
cmp -s "$app/Plomet.PMF" "$GUI_TMP/before-wrong.PMF" || gui_fail "a refused file changed the seal"

# --- a real drag from another program onto the window
# drag_onto <files or --text words...>: drags them from the drag source into
# the middle of the seal; waits for the source to see the drop end.
drag_onto() {
  "$DRAGSOURCE" "$@" >"$GUI_TMP/drag.log" 2>&1 &
  local src_pid=$! src sx sy ox oy
  gui_wait_for 10 xdotool search --onlyvisible --pid "$src_pid" --name '^plomet-drag-source$' || gui_fail "drag source did not show"
  src=$(xdotool search --onlyvisible --pid "$src_pid" --name '^plomet-drag-source$' | head -1)
  read -r sx sy < <(gui_window_origin "$src")
  read -r ox oy < <(gui_window_origin "$GUI_WIN")
  xdotool mousemove --sync $((sx + 60)) $((sy + 60)) mousedown 1
  local i
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove --sync $((sx + 60 + (ox + 116 - sx - 60) * i / 10)) $((sy + 60 + (oy + 100 - sy - 60) * i / 10))
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
  gui_wait_for 10 grep -q 'drop result' "$GUI_TMP/drag.log" || { kill "$src_pid" 2>/dev/null; gui_fail "the drag did not end"; }
  # The source stays a moment to hand the data over; it ends by itself.
  DRAG_PID=$src_pid
}
gui_start "$app"
seal_shot "$GUI_TMP/before-drop.png"
drag_onto "$GUI_TMP/dropped.pmf"
grep -q 'drop result 1' "$GUI_TMP/drag.log" || gui_fail "the window refused the drop: $(cat "$GUI_TMP/drag.log")"
# Closing and looking at what was written would end the test here; the seal
# on screen must turn into the dropped one (compared with its own picture).
"$PLOMET" render "$GUI_TMP/dropped.pmf" --set ShowDate=True -o "$GUI_TMP/dropped-render.png" 2>/dev/null
gui_wait_for 10 shot_same_as "$GUI_TMP/dropped-render.png" || gui_fail "the dropped seal is not shown"
wait "$DRAG_PID" 2>/dev/null || true
seal_shot "$GUI_TMP/dropped.png"
# Anything else: a message says what the window takes; the seal stays.
drag_onto "$GUI_TMP/wrong.PMF" "$GUI_TMP/dropped.pmf"
gui_find_window '^PlometSample$' 10 >/dev/null || gui_fail "no message after dropping two files"
wait "$DRAG_PID" 2>/dev/null || true
gui_dialog_key '^PlometSample$' Return
message_gone() { ! xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^PlometSample$' 2>/dev/null | gui__toplevel >/dev/null; }
gui_wait_for 10 message_gone || gui_fail "message did not close"
gui_wait_for 5 shot_same_as "$GUI_TMP/dropped.png" || gui_fail "a refused drop changed the seal"

# --- undo and redo from the keyboard
gui_click_button cmdInit
gui_wait_for 10 shot_differs_from "$GUI_TMP/dropped.png" || gui_fail "还 原 did not change the seal"
seal_shot "$GUI_TMP/restored.png"
xdotool key ctrl+z
gui_wait_for 10 shot_same_as "$GUI_TMP/dropped.png" || gui_fail "Ctrl+Z did not take back 还 原"
xdotool key ctrl+z
gui_wait_for 10 shot_same_as "$GUI_TMP/before-drop.png" || gui_fail "Ctrl+Z did not take back the drop"
xdotool key ctrl+shift+z
gui_wait_for 10 shot_same_as "$GUI_TMP/dropped.png" || gui_fail "Ctrl+Shift+Z did not bring back the drop"
xdotool key ctrl+shift+z
gui_wait_for 10 shot_same_as "$GUI_TMP/restored.png" || gui_fail "Ctrl+Shift+Z did not bring back 还 原"
xdotool key ctrl+z
gui_wait_for 10 shot_same_as "$GUI_TMP/dropped.png" || gui_fail "Ctrl+Z after redo"

# --- the settings dialog's preview follows the typing; the seal waits
gui_click_button cmdOption
dlg=$(gui_find_window '^设置$' 10) || gui_fail "settings dialog did not open"
preview_shot() { import -window "$dlg" "$GUI_TMP/dlg.png" && convert "$GUI_TMP/dlg.png" -crop 224x280+438+52 +repage "$1"; }
preview_differs_from() { preview_shot "$GUI_TMP/pnow.png"; differs "$GUI_TMP/pnow.png" "$1"; }
gui_wait_for 10 bash -c "import -window $dlg $GUI_TMP/dlg.png && [ \$(convert $GUI_TMP/dlg.png -crop 224x280+438+52 +repage txt:- | grep -c '#FF0000') -gt 200 ]" \
  || gui_fail "the preview shows no red seal"
preview_shot "$GUI_TMP/preview-before.png"
gui_click_twips "$dlg" $((2040 + 1400)) $((480 + 180))
xdotool key ctrl+a
gui_type "XYZ"
gui_wait_for 10 preview_differs_from "$GUI_TMP/preview-before.png" || gui_fail "the preview did not follow the typing"
preview_shot "$GUI_TMP/preview-typed.png"
gui_type "W"
gui_wait_for 10 preview_differs_from "$GUI_TMP/preview-typed.png" || gui_fail "the preview did not follow the next key"
gui_close "$dlg"
# (The dialog stands over the main window: look once it is closed.)
gui_wait_for 10 shot_same_as "$GUI_TMP/dropped.png" || gui_fail "typing changed the seal before 应 用"
gui_close; gui_wait_exit 10
gui_expect_eq "rText at close (typing alone applies nothing)" 拖放打开有限公司 "$(gui_pmf_line "$app/Plomet.PMF" 6)"

# --- device pixel ratio 2: drawn from the twips at 192 dpi, not enlarged
app2=$(gui_make_appdir)
cp "$GUI_TMP/given.PMF" "$app2/Plomet.PMF"
gui_start "$app2" QT_SCALE_FACTOR=2
gui_screenshot "$GUI_TMP/win2.png" "$GUI_WIN"
convert "$GUI_TMP/win2.png" -crop 274x274+96+64 +repage "$GUI_TMP/seal2.png"
"$PLOMET" render "$GUI_TMP/given.PMF" --set ShowDate=True --dpi 192 -o "$GUI_TMP/render192.png" 2>/dev/null
"$PLOMET" render "$GUI_TMP/given.PMF" --set ShowDate=True --dpi 96 -o "$GUI_TMP/render96.png" 2>/dev/null
convert "$GUI_TMP/render96.png" -filter point -resize 200% "$GUI_TMP/enlarged.png"
to192=$(compare -metric AE -fuzz 10% "$GUI_TMP/seal2.png" "$GUI_TMP/render192.png" null: 2>&1 || true)
toEnlarged=$(compare -metric AE -fuzz 10% "$GUI_TMP/seal2.png" "$GUI_TMP/enlarged.png" null: 2>&1 || true)
gui_log "scale 2: pixels off the 192-dpi render $to192, off the enlarged 96-dpi picture $toEnlarged"
[ "$to192" -le 50 ] || gui_fail "at scale 2 the seal is not the 192-dpi picture ($to192 pixels differ)"
[ "$toEnlarged" -gt $((to192 * 10 + 500)) ] || gui_fail "at scale 2 the seal looks like an enlarged bitmap"
# Copy still hands out the 96-dpi picture ("复 制", its centre at twice the pixels).
read -r ox oy < <(gui_window_origin "$GUI_WIN")
xdotool mousemove --sync $((ox + (4080 + 667) * 2 / 15)) $((oy + (810 + 187) * 2 / 15)) click 1
gui_wait_for 10 bash -c "xclip -selection clipboard -t image/png -o > $GUI_TMP/copied.png 2>/dev/null && [ -s $GUI_TMP/copied.png ]" || gui_fail "nothing copied"
gui_expect_eq "copied picture size at scale 2" 137x137 "$(identify -format '%wx%h' "$GUI_TMP/copied.png")"
gui_close; gui_wait_exit 10
echo PASS
