# Sourced by the test scripts: starts the real components the tests drive and
# exports what they need. Safe to source more than once.
#   - a private XDG_RUNTIME_DIR
#   - Xvfb on a free display (DISPLAY)
#   - cupsd with a virtual PDF queue "PlometPDF" as the default printer

plomet_start_xvfb() {
  if [ -n "${PLOMET_XVFB_PID:-}" ] && kill -0 "$PLOMET_XVFB_PID" 2>/dev/null; then return 0; fi
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: by default the server resets itself whenever its last client
    # leaves, and a program connecting during that reset is refused ("could
    # not connect to display"). Tests start and stop programs back to back.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/tmp/plomet-xvfb-$n.log 2>&1 &
    PLOMET_XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n" PLOMET_XVFB_PID
        return 0
      fi
      sleep 0.1
    done
    kill "$PLOMET_XVFB_PID" 2>/dev/null || true
  done
  echo "services: could not start Xvfb" >&2
  return 1
}

plomet_start_cups() {
  if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    mkdir -p /run/cups
    setsid /usr/sbin/cupsd -f >/tmp/plomet-cupsd.log 2>&1 < /dev/null &
    local i
    for i in $(seq 1 100); do
      lpstat -r 2>/dev/null | grep -q 'is running' && break
      sleep 0.1
    done
  fi
  if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
    echo "services: cupsd did not start" >&2
    return 1
  fi
  if ! lpstat -p PlometPDF >/dev/null 2>&1; then
    lpadmin -p PlometPDF -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
  fi
  lpadmin -d PlometPDF
  cupsenable PlometPDF 2>/dev/null || true
  cupsaccept PlometPDF 2>/dev/null || true
}

plomet_stop_services() {
  if [ -n "${PLOMET_XVFB_PID:-}" ]; then kill "$PLOMET_XVFB_PID" 2>/dev/null || true; fi
}

if [ -z "${XDG_RUNTIME_DIR:-}" ] || [ ! -d "${XDG_RUNTIME_DIR}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d /tmp/plomet-xdg.XXXXXX)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi
