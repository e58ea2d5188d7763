#!/usr/bin/env bash
# The settings dialog in the real program: opened from the main window with
# "设 置", a new company name and size typed, "应 用" pressed; the seal on
# screen changes at once, the dialog stays, and after the main window closes
# Plomet.PMF holds the new values. A failed size is reported and changes nothing
# on screen. Set PLOMET_SHOTS to a folder to keep the screenshots.
. "$(dirname "$0")/lib.sh"

shots=${PLOMET_SHOTS:-$GUI_TMP}
mkdir -p "$shots"
app=$(gui_make_appdir)
pmf="$app/Plomet.PMF"
name="Tervin测试有限公司"

gui_start "$app"
gui_screenshot "$GUI_TMP/before.png" "$GUI_WIN"

# Dialog fields by their layout in twips (centre points).
click_field() { gui_click_twips "$dlg" $(( $2 + $4 / 2 )) $(( $3 + $5 / 2 )); }

gui_click_button cmdOption
dlg=$(gui_find_window '^设置$' 10) || gui_fail "the settings dialog did not open"
read -r w h < <(xwininfo -id "$dlg" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}')
# The classic 6570 x 6825 twips and the preview pane (3600 twips) right of them.
gui_expect_eq "dialog client size" "678 455" "$w $h"
# Both windows open centred; the dialog goes to the top-left corner so that it
# does not hide the seal.
xdotool windowmove --sync "$dlg" 0 0 || true
# The dialog with its preview pane is wider than the space left of the main
# window's seal: the main window moves right, clear of it.
xdotool windowmove --sync "$GUI_WIN" 760 0 || true
sleep 0.3
gui_screenshot "$shots/settings-dialog.png" "$dlg"

# A second "设 置" brings the same dialog forward, it makes no second one.
# (The pointer leaves the button first: a synchronous move to where it already
# is would wait for a motion that never comes.)
gui__pointer_into "$dlg"
gui_click_button cmdOption
# A second dialog would appear within moments: watch for one for 2 s.
two_dialogs() { [ "$(xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^设置$' | wc -l)" -gt 1 ]; }
if gui_wait_for 2 two_dialogs; then gui_fail "a second settings dialog opened"; fi

# The company name: select what is there, type the new one.
click_field rText 2040 480 2895 375
xdotool key ctrl+a
gui_type "$name"
# The width, with the height following it ("保持一致" is checked).
click_field cWidth 2040 2280 2895 375
xdotool key ctrl+a
gui_type "2500"
sleep 0.2
gui_screenshot "$shots/settings-typed.png" "$dlg"
# "应 用"
click_field cmdRefresh 3240 6120 1335 375

seal_changed() {
  gui_screenshot "$GUI_TMP/after.png" "$GUI_WIN"
  diff=$(compare -metric AE "$GUI_TMP/before.png" "$GUI_TMP/after.png" null: 2>&1 || true)
  [ "$diff" -gt 200 ]
}
gui_wait_for 10 seal_changed || gui_fail "the seal did not change on screen after 应 用 ($diff pixels differ)"
# 2500 twips is 167 px from (48, 32): the seal now reaches past its old 137 px.
reds=$(convert "$GUI_TMP/after.png" -crop 30x167+185+32 +repage txt:- | grep -c '#FF0000\|#FE0000' || true)
[ "$reds" -gt 20 ] || gui_fail "the seal did not grow to 2500 twips: $reds red pixels beyond 137 px"
xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^设置$' >/dev/null \
  || gui_fail "应 用 closed the dialog"

# "应 用" brought the main window to the front, over the middle of the
# dialog: "设 置" brings the dialog back.
gui_click_button cmdOption
sleep 0.3
# A height that is no number: a message, the seal on screen unchanged.
click_field cHeight 2040 2880 2895 375
xdotool key ctrl+a
gui_type "abc"
xdotool key Return
other_window() {
  xdotool search --all --onlyvisible --pid "$GUI_PID" --name '.' 2>/dev/null \
    | grep -vx -e "$GUI_WIN" -e "$dlg" | head -1 | grep .
}
gui_wait_for 10 other_window || gui_fail "no message for a height of abc"
msg=$(other_window)
gui_screenshot "$shots/settings-message.png" "$msg"
gui_screenshot "$GUI_TMP/after-failure.png" "$GUI_WIN"
seal_area() { convert "$1" -crop 180x180+48+32 +repage "$2"; }
seal_area "$GUI_TMP/after.png" "$GUI_TMP/after-seal.png"
seal_area "$GUI_TMP/after-failure.png" "$GUI_TMP/after-failure-seal.png"
diff=$(compare -metric AE "$GUI_TMP/after-seal.png" "$GUI_TMP/after-failure-seal.png" null: 2>&1 || true)
gui_expect_eq "pixels changed by a failed apply" 0 "$diff"
gui__pointer_into "$msg"
xdotool key Return
gui_wait_for 10 bash -c "! xdotool search --all --onlyvisible --pid $GUI_PID --name . | grep -qx $msg" \
  || gui_fail "the message stayed after Return"
xdotool search --all --onlyvisible --pid "$GUI_PID" --name '^设置$' >/dev/null \
  || gui_fail "the failed apply closed the dialog"

gui_close
gui_wait_exit 10
[ -f "$pmf" ] || gui_fail "closing did not write Plomet.PMF"
gui_expect_eq "rText" "$name" "$(gui_pmf_line "$pmf" 6)"
gui_expect_eq "Width" "2500" "$(gui_pmf_line "$pmf" 16)"
# "保持一致" copied the "abc" into the width too, so the failed apply stopped at
# the width: the size stayed at the 2500 x 2500 of the first apply.
gui_expect_eq "Height" "2500" "$(gui_pmf_line "$pmf" 17)"
echo "settings: ok"
