# Sourced by test.sh and run.sh: a private Wine prefix, a virtual display when there is no screen,
# and one persistent wineserver so each Windows program starts in milliseconds.

# wine_prefix_init PREFIX: create the prefix once, with a fixed virtual desktop so windows get frames
# and a known screen size.
wine_prefix_init() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
}

# display_start: use the caller's screen if there is one, otherwise start Xvfb on a free number.
display_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return
  fi
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  AC_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return; sleep 0.1; done
  echo "could not start Xvfb on $DISPLAY" >&2
  return 1
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "${AC_XVFB_PID:-}" ]; then kill "$AC_XVFB_PID" 2>/dev/null || true; fi
}
