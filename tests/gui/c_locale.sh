#!/usr/bin/env bash
# The windows speak Chinese whatever the locale: under the C locale the export
# dialog, whose texts come from the translation the program loads, is titled
# 导出图片 (untranslated it would read "Export Picture"). C.UTF-8, as under
# plain C xdotool did not find even the main window by its Chinese title.
# Set PLOMET_SHOTS to a folder to keep the screenshot.
. "$(dirname "$0")/lib.sh"

shots=${PLOMET_SHOTS:-$GUI_TMP}
mkdir -p "$shots"
app=$(gui_make_appdir)

# --help needs no display and speaks the user's language, in a few lines.
help_c=$(LC_ALL=C "$GUI_BIN" --help)
help_zh=$(LC_ALL=zh_CN.UTF-8 "$GUI_BIN" --help)
grep -q '^Usage: PlometSample \[FILE\.PMF\]$' <<<"$help_c" || gui_fail "--help under C: $help_c"
grep -q '^用法：PlometSample \[FILE\.PMF\]$' <<<"$help_zh" || gui_fail "--help under zh_CN: $help_zh"
[ "$(wc -l <<<"$help_zh")" -le 20 ] || gui_fail "--help is longer than 20 lines"

gui_start "$app" LC_ALL=C.UTF-8 LANG=C.UTF-8 LANGUAGE=

read -r ox oy < <(gui_window_origin "$GUI_WIN")
xdotool mousemove --sync $(( ox + 5 )) $(( oy + 5 ))
xdotool mousemove --sync $(( ox + 48 + 68 )) $(( oy + 32 + 100 )) click 3
gui_wait_popup 10 >/dev/null || gui_fail "the context menu did not open"
xdotool key Down Return
ask=$(gui_find_window '^导出图片$' 10) || {
  gui_screenshot "$shots/c-locale.png"
  gui_fail "no dialog titled 导出图片 under the C locale (see $shots/c-locale.png)"
}
gui_screenshot "$shots/c-locale-export-dialog.png" "$ask"
gui__pointer_into "$ask"
xdotool key Escape
gui_wait_gone '^导出图片$' 5 || gui_fail "the export dialog did not close on Esc"
gui_close
gui_wait_exit 10
echo "c_locale: ok"
