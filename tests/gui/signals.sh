#!/usr/bin/env bash
# Ending without a close box: SIGTERM and SIGINT save the seal and quit as a
# close does; a default file that cannot be written is not lost silently: the
# program says so and offers to save elsewhere.
. "$(dirname "$0")/lib.sh"

for sig in TERM INT; do
  app=$(gui_make_appdir)
  gui_start "$app"
  pid=$GUI_PID
  kill -"$sig" "$pid"
  gui_wait_for 10 bash -c "! kill -0 $pid" || gui_fail "SIG$sig did not end the program"
  status=0; wait "$pid" || status=$?
  GUI_PID=""
  gui_expect_eq "exit status after SIG$sig" 0 "$status"
  [ -f "$app/Plomet.PMF" ] || gui_fail "SIG$sig did not save Plomet.PMF"
  gui_expect_eq "SIG$sig rText" "Qorvel软件有限公司" "$(gui_pmf_line "$app/Plomet.PMF" 6)"
  gui_expect_eq "SIG$sig Degree" "266" "$(gui_pmf_line "$app/Plomet.PMF" 19)"
done

# --- a signal while a handler waits in a modal dialog
app=$(gui_make_appdir)
gui_start "$app"
gui_click_button cmdOpen
gui_find_window '^打开$' 10 >/dev/null || gui_fail "open dialog did not appear"
pid=$GUI_PID
kill -TERM "$pid"
gui_wait_for 10 bash -c "! kill -0 $pid" || gui_fail "SIGTERM during a dialog did not end the program"
status=0; wait "$pid" || status=$?
GUI_PID=""
gui_expect_eq "exit status after SIGTERM during a dialog" 0 "$status"
gui_expect_eq "saved during a dialog" "266" "$(gui_pmf_line "$app/Plomet.PMF" 19)"

# --- the default file cannot be written (a folder holds its name)
app=$(gui_make_appdir)
mkdir "$app/Plomet.PMF"
gui_start "$app"
gui_close
box=$(gui_find_window '^PlometSample$' 10) || gui_fail "no message when the default file cannot be written"
gui_screenshot "$GUI_TMP/save-failed-box.png" "$box"
# Yes: the save dialog opens; the seal goes where the user says.
gui_dialog_key '^PlometSample$' Return
gui_dialog_type '^保存$' "$app/rescued"
gui_wait_exit 10
[ -f "$app/rescued.PMF" ] || gui_fail "the seal was not saved elsewhere"
gui_expect_eq "rescued Degree" "266" "$(gui_pmf_line "$app/rescued.PMF" 19)"

# No: the program ends without writing anything.
app=$(gui_make_appdir)
mkdir "$app/Plomet.PMF"
gui_start "$app"
kill -TERM "$GUI_PID"
gui_find_window '^PlometSample$' 10 >/dev/null || gui_fail "no message on SIGTERM when saving fails"
gui_dialog_key '^PlometSample$' Escape
gui_wait_exit 10
gui_expect_eq "files after declining" "Plomet.PMF PlometSample " "$(cd "$app" && ls -A | grep -v '\.log$' | LC_ALL=C sort | tr '\n' ' ')"
echo "PASS"
