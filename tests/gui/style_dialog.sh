#!/usr/bin/env bash
# The "样式" dialog in the real program: opened from the seal's context menu,
# the preset 发票专用章 chosen and put in with "套 用", then "应 用". The seal
# on the clipboard ("复 制") turns from the round 137 x 137 picture into the
# oval invoice seal, and the description file written on closing keeps it.
# Set PLOMET_SHOTS to a folder to keep the screenshots.
. "$(dirname "$0")/lib.sh"

shots=${PLOMET_SHOTS:-$GUI_TMP}
mkdir -p "$shots"
app=$(gui_make_appdir)
gui_start "$app"

# clipboard_size: the size of the seal that "复 制" puts on the clipboard.
clipboard_size() {
  gui_click_button cmdCopy
  gui_wait_for 5 bash -c "xclip -selection clipboard -t TARGETS -o | grep -qx image/png" \
    || gui_fail "no image/png on the clipboard"
  xclip -selection clipboard -t image/png -o >"$GUI_TMP/clip.png"
  identify -format '%wx%h' "$GUI_TMP/clip.png"
}
gui_expect_eq "seal on the clipboard before" "137x137" "$(clipboard_size)"

# --- the context menu's last entry, "样式…" (after 导出图片…, 盖章到PDF… and
# 从图片提取印章…)
windows_shown() { { xdotool search --all --onlyvisible --pid "$GUI_PID" 2>/dev/null || true; } | wc -l; }
shown_before=$(windows_shown)
read -r ox oy < <(gui_window_origin "$GUI_WIN")
xdotool mousemove --sync $(( ox + 5 )) $(( oy + 5 ))
xdotool mousemove --sync $(( ox + 48 + 68 )) $(( oy + 32 + 100 )) click 3
menu_open() { [ "$(windows_shown)" -gt "$shown_before" ]; }
gui_wait_for 5 menu_open || gui_fail "no context menu on the seal"
gui_screenshot "$shots/style-menu.png"
xdotool key Down Down Down Down Return
style=$(gui_find_window '^样式$' 10) || gui_fail "the 样式 dialog did not open from the context menu"
gui_screenshot "$shots/style-opened.png" "$style"

# --- the preset choice has the focus: its last entry is 发票专用章; Tab twice
# reaches "套 用" (after the size field), then back to the choice, where
# Return is the dialog's default button, "应 用". Keys go to the window under
# the pointer (no window manager).
gui_dialog_key '^样式$' End
xdotool key Tab Tab space
gui_screenshot "$shots/style-preset.png" "$style"
xdotool key shift+Tab shift+Tab Return

# --- the close box ends the dialog (it lies over the main window's buttons);
# what 应 用 wrote stays.
gui_close "$style"
gui_wait_for 5 bash -c "! xdotool search --all --onlyvisible --pid $GUI_PID --name '^样式\$' | grep -q ." \
  || gui_fail "the 样式 dialog did not close"

# The seal is drawn again: the clipboard picture is the oval's, wider than high.
oval_on_clipboard() {
  local size
  size=$(clipboard_size)
  [ "$size" != "137x137" ] || return 1
  echo "$size"
}
gui_wait_for 10 oval_on_clipboard || gui_fail "the seal did not change after 应 用 (still 137x137)"
size=$(clipboard_size)
read -r w h <<<"${size/x/ }"
echo "seal after 应 用: ${w}x${h} px"
# 发票专用章: the band's outer edge 40 x 30 mm, the control 41.5 x 31.5 mm:
# 2353 x 1786 twips, 157 x 119 px.
[ "$w" -ge 155 ] && [ "$w" -le 159 ] && [ "$h" -ge 117 ] && [ "$h" -le 121 ] \
  || gui_fail "the applied seal is ${w}x${h} px, not the 157x119 invoice seal"
# The ring is an oval: red at the middle of its left edge and none at the
# corners, where a round ring of the same height would not reach.
clip="$GUI_TMP/clip.png"
cp "$clip" "$shots/style-clipboard.png"
red_at() { convert "$clip" -format "%[fx:(p{$1,$2}.r>0.8 && p{$1,$2}.g<0.5)?1:0]" info:; }
row=$(convert "$clip" -crop "${w}x1+0+$(( h / 2 ))" +repage -fx '(r>0.8 && g<0.5)?1:0' -trim -format '%X' info: 2>/dev/null | tr -d '+')
[ -n "$row" ] && [ "$row" -le 4 ] || gui_fail "no ring at the left edge of the oval (first red at x=$row)"
gui_expect_eq "ink at the top-left corner" 0 "$(red_at 2 2)"
gui_screenshot "$shots/style-applied.png" "$GUI_WIN"

# --- the program keeps the seal in its default file on closing.
gui_close
gui_wait_exit 10
text=$(gui_pmf_text "$app/Plomet.PMF")
grep -qx 'Shape=Oval' <<<"$text" || gui_fail "the description file does not keep the oval: $(tail -n +21 <<<"$text" | tr '\n' ' ')"
gui_expect_eq "lower line" "发票专用章" "$(sed -n 7p <<<"$text")"
gui_expect_eq "width and height (twips)" "2353 1786" "$(sed -n 16p <<<"$text") $(sed -n 17p <<<"$text")"
echo "style_dialog: ok"
