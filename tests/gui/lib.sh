# Shared helpers for end-to-end tests of the real PlometSample under an X server.
# Source it from a test script:  . "$(dirname "$0")/lib.sh"
#
# Environment: PLOMET_BUILD_DIR (build tree; default build/default beside the
# sources), DISPLAY (started here with Xvfb when unset).
# Every start uses a temporary application folder: the program keeps its
# default file beside the executable, so a copy of the binary is made there.
set -euo pipefail

GUI_SRC_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
GUI_BUILD_DIR=${PLOMET_BUILD_DIR:-$GUI_SRC_DIR/build/default}
GUI_BIN="$GUI_BUILD_DIR/app/PlometSample"
GUI_XCLOSE="$GUI_BUILD_DIR/tests/gui/plomet_xclose"
GUI_TITLE="Qorvel公章生成 v2.5"
GUI_TWIPS_PER_PIXEL=15
GUI_PID=""
GUI_WIN=""

. "$GUI_SRC_DIR/scripts/services.sh"
if [ -z "${DISPLAY:-}" ]; then
  # The server picks a free display number itself, so tests started side by
  # side never race for the same one.
  gui_dpy_file=$(mktemp /tmp/plomet-gui-dpy.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$gui_dpy_file" >/dev/null 2>&1 &
  PLOMET_XVFB_PID=$!
  for _ in $(seq 1 100); do [ -s "$gui_dpy_file" ] && break; sleep 0.05; done
  [ -s "$gui_dpy_file" ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -1 "$gui_dpy_file")"
  rm -f "$gui_dpy_file"
  GUI_OWN_XVFB=1
fi

GUI_TMP=$(mktemp -d /tmp/plomet-gui.XXXXXX)
# A private home, so the per-user data folder and Qt's own files stay here.
export HOME="$GUI_TMP/home" XDG_DATA_HOME="$GUI_TMP/home/.local/share" \
       XDG_CONFIG_HOME="$GUI_TMP/home/.config"
mkdir -p "$HOME"

gui_cleanup() {
  if [ -n "$GUI_PID" ] && kill -0 "$GUI_PID" 2>/dev/null; then kill -9 "$GUI_PID" 2>/dev/null || true; fi
  if [ "${GUI_KEEP_TMP:-0}" != 1 ]; then rm -rf "$GUI_TMP"; fi
  if [ "${GUI_OWN_XVFB:-0}" = 1 ]; then plomet_stop_services; fi
}
trap gui_cleanup EXIT

gui_log() { echo "gui: $*" >&2; }
gui_fail() { echo "FAIL: $*" >&2; exit 1; }

# gui_wait_for <seconds> <command...>: polls every 0.1 s until the command succeeds.
gui_wait_for() {
  local limit=$1; shift
  local deadline=$(( $(date +%s%N) + limit * 1000000000 ))
  until "$@" >/dev/null 2>&1; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# gui_make_appdir: a fresh application folder holding a copy of the program.
gui_make_appdir() {
  local dir
  dir=$(mktemp -d "$GUI_TMP/app.XXXXXX")
  cp "$GUI_BIN" "$dir/PlometSample"
  echo "$dir"
}

# gui_start <appdir> [VAR=value...]: starts the program (with the arguments in
# the array GUI_ARGS, if set) and waits for its main window; sets GUI_PID and
# GUI_WIN. Its stderr goes to <appdir>/stderr.log.
gui_start() {
  local dir=$1; shift
  env PLOMET_MARK_FIRST_PAINT=1 "$@" "$dir/PlometSample" ${GUI_ARGS[@]+"${GUI_ARGS[@]}"} >"$dir/stdout.log" 2>"$dir/stderr.log" &
  GUI_PID=$!
  GUI_WIN=""
  gui_wait_for 15 gui__find_main || { cat "$dir/stderr.log" >&2; gui_fail "main window did not appear"; }
  GUI_WIN=$(gui__find_main) || gui_fail "main window went away"
  # The program says when its first paint has reached the screen.
  gui_wait_for 15 grep -q '^plomet: first paint' "$dir/stderr.log" || gui_fail "main window was not painted"
  sleep 0.1
}
# xdotool fails the whole search when one of the windows it walks goes away
# meanwhile (the program makes and drops helper windows as it starts): what
# it found still counts.
gui__find_main() { { xdotool search --all --onlyvisible --pid "$GUI_PID" --name "^${GUI_TITLE}\$" 2>/dev/null || true; } | gui__toplevel; }
# Keeps the first top-level window of the ids on stdin: a child window of the
# program (the seal control has one) may carry the application's name too.
gui__toplevel() {
  local id
  while read -r id; do
    if xwininfo -id "$id" -children 2>/dev/null | grep -q 'Parent window id: .*(the root window)'; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# gui_find_window <title regex> [seconds]: id of a visible window of the program.
gui_find_window() {
  local title=$1 limit=${2:-10} id=""
  gui__find() { { xdotool search --all --onlyvisible --pid "$GUI_PID" --name "$title" 2>/dev/null || true; } | gui__toplevel; }
  gui_wait_for "$limit" gui__find || return 1
  gui__find
}

# gui_wait_gone <title regex> [seconds]: waits until no visible window of the
# program has that title (a dialog closed, its answer handled).
gui_wait_gone() {
  local title=$1 limit=${2:-10}
  gui__none() { ! xdotool search --all --onlyvisible --pid "$GUI_PID" --name "$title" >/dev/null 2>&1; }
  gui_wait_for "$limit" gui__none
}

# gui_wait_popup [seconds]: waits for a popup menu of the program (a visible
# override-redirect top-level window) and prints its id.
gui_wait_popup() {
  local limit=${1:-10}
  gui__popup() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$GUI_PID" 2>/dev/null); do
      [ "$id" != "$GUI_WIN" ] || continue
      xwininfo -id "$id" -all 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
      xwininfo -id "$id" -children 2>/dev/null | grep -q 'Parent window id: .*(the root window)' && { echo "$id"; return 0; }
    done
    return 1
  }
  gui_wait_for "$limit" gui__popup || return 1
  gui__popup
}

# gui_wait_focus <win> [seconds]: waits until the window holds the keyboard
# focus, so that keys sent next reach it.
gui_wait_focus() {
  local win=$1 limit=${2:-10}
  gui__has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$win" ]; }
  gui_wait_for "$limit" gui__has_focus
}

# gui_focused_window <title regex> [seconds]: waits until a visible window of
# the program with that title holds the keyboard focus and prints its id (a
# message box may bear its dialog's title).
gui_focused_window() {
  local title=$1 limit=${2:-10}
  gui__focused_match() {
    local f
    f=$(xdotool getwindowfocus 2>/dev/null) || return 1
    xdotool search --all --onlyvisible --pid "$GUI_PID" --name "$title" 2>/dev/null | grep -qx "$f" && echo "$f"
  }
  gui_wait_for "$limit" gui__focused_match || return 1
  gui__focused_match
}

# gui_window_origin <win>: absolute "x y" of the window's client area.
gui_window_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

# gui_click_twips <win> <x twips> <y twips>: a left click at a client position.
gui_click_twips() {
  local win=$1 xt=$2 yt=$3 ox oy
  read -r ox oy < <(gui_window_origin "$win")
  xdotool mousemove --sync $(( ox + xt / GUI_TWIPS_PER_PIXEL )) $(( oy + yt / GUI_TWIPS_PER_PIXEL )) click 1
}

# gui_click_button <name>: clicks the centre of a main-window button by its name.
gui_click_button() {
  local left top
  case $1 in
    cmdSaveAs) left=4080 top=360 ;;
    cmdOption) left=5400 top=360 ;;
    cmdCopy)   left=4080 top=810 ;;
    cmdPrint)  left=4080 top=1320 ;;
    cmdOpen)   left=4080 top=1800 ;;
    cmdSave)   left=5400 top=1800 ;;
    cmdInit)   left=4080 top=2280 ;;
    cmd)       left=5400 top=2280 ;;
    *) gui_fail "no button $1" ;;
  esac
  gui_click_twips "$GUI_WIN" $(( left + 1335 / 2 )) $(( top + 375 / 2 ))
}

# gui_type <text>: enters text into the focused field. ASCII is typed key by
# key; other text is pasted from the clipboard, since xdotool types a CJK
# character by remapping a spare keycode, and a character whose mapping
# changes before the program reads the key is lost or wrong.
gui_type() {
  if LC_ALL=C grep -q '^[ -~]*$' <<<"$1"; then
    xdotool type --delay 20 "$1"
  else
    printf '%s' "$1" | xclip -selection clipboard -i >/dev/null 2>&1
    sleep 0.1
    xdotool key ctrl+v
  fi
}

# gui_dialog_type <title regex> <text>: waits for a dialog of the program,
# puts the pointer over it and types text followed by Return.
gui_dialog_type() {
  local win
  win=$(gui_find_window "$1" 10) || gui_fail "dialog '$1' did not appear"
  gui__pointer_into "$win"
  win=$(gui_focused_window "$1" 10) || gui_fail "dialog '$1' did not take the keyboard focus"
  gui__pointer_into "$win"
  gui_type "$2"
  xdotool key Return
}

# gui_dialog_key <title regex> <keys...>: sends keys to a dialog (e.g. Escape).
gui_dialog_key() {
  local win title=$1; shift
  win=$(gui_find_window "$title" 10) || gui_fail "dialog '$title' did not appear"
  gui__pointer_into "$win"
  win=$(gui_focused_window "$title" 10) || gui_fail "dialog '$title' did not take the keyboard focus"
  gui__pointer_into "$win"
  xdotool key "$@"
}
gui__pointer_into() {
  local ox oy X Y
  read -r ox oy < <(gui_window_origin "$1")
  # `mousemove --sync` waits for the pointer to move, which it never does
  # when it is there already (xdotool gives up after seconds).
  eval "$(xdotool getmouselocation --shell 2>/dev/null | grep -E '^[XY]=')"
  [ "${X:-}" = "$(( ox + 5 ))" ] && [ "${Y:-}" = "$(( oy + 5 ))" ] && return 0
  xdotool mousemove --sync $(( ox + 5 )) $(( oy + 5 ))
}

# gui_close [win]: closes a window as a window manager's close box would.
gui_close() { "$GUI_XCLOSE" "${1:-$GUI_WIN}"; }

# gui_wait_exit [seconds]: waits for the program to end; fails if it does not.
gui_wait_exit() {
  local limit=${1:-10}
  gui_wait_for "$limit" gui__gone || gui_fail "program did not end"
  wait "$GUI_PID" 2>/dev/null || true
  GUI_PID=""
}
gui__gone() { ! kill -0 "$GUI_PID" 2>/dev/null; }

# gui_screenshot <file> [win]: the window (or the whole screen) as PNG.
gui_screenshot() {
  if [ -n "${2:-}" ]; then import -window "$2" "$1"; else import -window root "$1"; fi
}

# gui_pmf_text <file>: a description file as UTF-8 lines without CR.
gui_pmf_text() { iconv -f GBK -t UTF-8 "$1" | tr -d '\r'; }

# gui_pmf_line <file> <n>: line n of a description file, UTF-8.
gui_pmf_line() { gui_pmf_text "$1" | sed -n "${2}p"; }

# gui_expect_eq <what> <expected> <actual>
gui_expect_eq() { [ "$2" = "$3" ] || gui_fail "$1: expected '$2', got '$3'"; }
