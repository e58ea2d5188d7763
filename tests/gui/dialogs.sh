#!/usr/bin/env bash
# The main window's file commands through the real dialogs: cancelled dialogs
# write nothing, "保 留" does nothing, "保 存" writes the typed name with the
# default extension, "打 开" refuses a wrong header with the fixed message and
# loads a good file, whose values then go to the default file at close.
. "$(dirname "$0")/lib.sh"

app=$(gui_make_appdir)
listing() { (cd "$app" && ls -A | grep -v '\.log$' | LC_ALL=C sort | tr '\n' ' '); }
windows() { { xdotool search --all --onlyvisible --pid "$GUI_PID" --name . 2>/dev/null || true; } | wc -l; }

gui_start "$app"
before=$(listing)

# --- cancelled dialogs and the reserved button leave no trace
gui_click_button cmdOpen
gui_dialog_key '^打开$' Escape
gui_wait_for 5 bash -c "! xdotool search --onlyvisible --name '^打开\$'" || gui_fail "open dialog stayed"
gui_click_button cmdSave
gui_dialog_key '^保存$' Escape
gui_wait_for 5 bash -c "! xdotool search --onlyvisible --name '^保存\$'" || gui_fail "save dialog stayed"
count=$(windows)
gui_click_button cmd
# A window it opened would show within moments: watch for one for 1 s.
more_windows() { [ "$(windows)" -gt "$count" ]; }
if gui_wait_for 1 more_windows; then gui_fail "保 留 opened a window"; fi
gui_expect_eq "windows after 保 留" "$count" "$(windows)"
gui_expect_eq "files after cancelled dialogs" "$before" "$(listing)"
kill -0 "$GUI_PID" || gui_fail "program ended"

# --- save under a typed name without extension
gui_click_button cmdSave
gui_dialog_type '^保存$' "$app/saved"
gui_wait_for 5 test -f "$app/saved.PMF" || gui_fail "保 存 did not write saved.PMF"
gui_expect_eq "saved rText" "Qorvel软件有限公司" "$(gui_pmf_line "$app/saved.PMF" 6)"
gui_expect_eq "saved Degree" "266" "$(gui_pmf_line "$app/saved.PMF" 19)"

# --- a wrong header: the fixed message, captioned with the application's name
printf 'BM this is no description file\r\n' >"$app/bad.PMF"
gui_screenshot "$GUI_TMP/before-bad.png" "$GUI_WIN"
gui_click_button cmdOpen
gui_dialog_type '^打开$' "$app/bad.PMF"
box=$(gui_find_window '^PlometSample$' 10) || gui_fail "no message for a wrong header"
gui_screenshot "$GUI_TMP/bad-header-box.png" "$box"
gui_dialog_key '^PlometSample$' Return
gui_wait_for 5 bash -c "! xdotool search --onlyvisible --name '^PlometSample\$'" || gui_fail "message stayed"
sleep 0.3
gui_screenshot "$GUI_TMP/after-bad.png" "$GUI_WIN"
diff=$(compare -metric AE "$GUI_TMP/before-bad.png" "$GUI_TMP/after-bad.png" null: 2>&1 || true)
gui_expect_eq "pixels changed by a refused file" 0 "$diff"

# --- a good file is loaded and drawn
iconv -f GBK -t UTF-8 "$app/saved.PMF" | sed -e 's/^Qorvel软件有限公司\r$/测试印章有限公司\r/' -e 's/^266\r$/200\r/' \
  | iconv -f UTF-8 -t GBK >"$app/other.PMF"
gui_expect_eq "prepared rText" "测试印章有限公司" "$(gui_pmf_line "$app/other.PMF" 6)"
gui_click_button cmdOpen
gui_dialog_type '^打开$' "$app/other.PMF"
redrawn() {
  gui_screenshot "$GUI_TMP/after-open.png" "$GUI_WIN"
  diff=$(compare -metric AE "$GUI_TMP/before-bad.png" "$GUI_TMP/after-open.png" null: 2>&1 || true)
  [ "$diff" -gt 100 ]
}
gui_wait_for 5 redrawn || gui_fail "opening another seal did not redraw"

gui_close
gui_wait_exit 10
gui_expect_eq "default file after open" "测试印章有限公司" "$(gui_pmf_line "$app/Plomet.PMF" 6)"
gui_expect_eq "default Degree after open" "200" "$(gui_pmf_line "$app/Plomet.PMF" 19)"
gui_expect_eq "files at the end" "Plomet.PMF PlometSample bad.PMF other.PMF saved.PMF " "$(listing)"
echo "PASS"
