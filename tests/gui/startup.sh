#!/usr/bin/env bash
# Start-up and shut-down of the real program: the stored-state seal at the
# first start, the default file written at close and read at the next start,
# "还 原" followed by a close, and a screenshot of the main window.
. "$(dirname "$0")/lib.sh"

app=$(gui_make_appdir)
pmf="$app/Plomet.PMF"

# --- first start: no default file, the stored state shows
gui_start "$app"
[ ! -e "$pmf" ] || gui_fail "Plomet.PMF exists before the first close"
read -r w h < <(xwininfo -id "$GUI_WIN" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}')
# The classic 486 x 215 and the tool bar below it (its height is the style's).
gui_expect_eq "client width" "486" "$w"
[ "$h" -gt 215 ] && [ "$h" -lt 280 ] || gui_fail "client height: expected 215 and a tool bar, got $h"
gui_screenshot "$GUI_TMP/first.png" "$GUI_WIN"
# The seal control sits at (720, 480) twips = (48, 32) px, 137 x 137 px: its
# ring is red, the rest of the window is not.
reds=$(convert "$GUI_TMP/first.png" -crop 137x137+48+32 +repage txt:- | grep -c '#FF0000\|#FE0000' || true)
[ "$reds" -gt 300 ] || gui_fail "the seal is not drawn in red at (48, 32): $reds red pixels"
outside=$(convert "$GUI_TMP/first.png" -crop 40x215+0+0 +repage txt:- | grep -c '#FF0000' || true)
gui_expect_eq "red pixels left of the seal" 0 "$outside"
gui_close
gui_wait_exit 10
[ -f "$pmf" ] || gui_fail "closing did not write Plomet.PMF"
gui_expect_eq "line 1" "电子公章描述文件" "$(gui_pmf_line "$pmf" 1)"
gui_expect_eq "rText" "Qorvel软件有限公司" "$(gui_pmf_line "$pmf" 6)"
gui_expect_eq "pText1" "专用章" "$(gui_pmf_line "$pmf" 8)"
gui_expect_eq "Width" "2055" "$(gui_pmf_line "$pmf" 16)"
gui_expect_eq "Height" "2055" "$(gui_pmf_line "$pmf" 17)"
gui_expect_eq "Degree" "266" "$(gui_pmf_line "$pmf" 19)"
gui_expect_eq "FontBold" "True" "$(gui_pmf_line "$pmf" 20)"
cp "$pmf" "$GUI_TMP/first.PMF"

# --- second start: the same seal comes back and is written back unchanged
gui_start "$app"
gui_screenshot "$GUI_TMP/second.png" "$GUI_WIN"
diff=$(compare -metric AE "$GUI_TMP/first.png" "$GUI_TMP/second.png" null: 2>&1 || true)
gui_expect_eq "differing pixels between first and second start" 0 "$diff"
gui_close
gui_wait_exit 10
cmp -s "$pmf" "$GUI_TMP/first.PMF" || gui_fail "second close wrote another seal"

# --- a changed default file is what the next start shows
sed -i 's/^266\r$/90\r/' "$pmf"
gui_expect_eq "edited Degree" "90" "$(gui_pmf_line "$pmf" 19)"
gui_start "$app"
gui_screenshot "$GUI_TMP/edited.png" "$GUI_WIN"
diff=$(compare -metric AE "$GUI_TMP/first.png" "$GUI_TMP/edited.png" null: 2>&1 || true)
[ "$diff" -gt 50 ] || gui_fail "a start angle of 90 looks like 266 ($diff pixels differ)"

# --- "还 原", then close: the restored values are written
gui_click_button cmdInit
sleep 0.3
gui_close
gui_wait_exit 10
gui_expect_eq "restored rText" "中山Qorvel软件有限公司" "$(gui_pmf_line "$pmf" 6)"
gui_expect_eq "restored Degree" "-1" "$(gui_pmf_line "$pmf" 19)"
gui_expect_eq "restored FontName" "黑体" "$(gui_pmf_line "$pmf" 11)"
gui_expect_eq "FontBold kept" "True" "$(gui_pmf_line "$pmf" 20)"

if [ -n "${PLOMET_SCREENSHOT_DIR:-}" ]; then cp "$GUI_TMP/first.png" "$PLOMET_SCREENSHOT_DIR/main-window.png"; fi
echo "PASS"
