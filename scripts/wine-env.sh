# Sourced by test.sh, run.sh and the Wine-run tests: the Wine loader of a build, a private Wine
# prefix, a virtual display when there is no screen, and one persistent wineserver so each Windows
# program starts in milliseconds.

# The command that runs Windows programs; wine_use sets it for a build.
AC_WINE=${AC_WINE:-wine}

# wine_use BUILD: the loader for the programs of build/BUILD, in AC_WINE. win64 takes the 64-bit
# loader by its path, because /usr/bin/wine starts the 32-bit one whenever wine32 is installed, and
# names it in WINELOADER so that Wine starts further processes with it too. Every other build uses
# `wine`. The `wineserver` wrapper runs the 64-bit server, which serves both.
wine_use() {
  if [ "$1" = win64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    AC_WINE=$WINELOADER
  else
    unset WINELOADER
    AC_WINE=wine
  fi
}

# wine_runs_32bit: whether this machine runs 32-bit programs at all; a kernel without 32-bit
# emulation cannot start the 32-bit Wine loader.
wine_runs_32bit() {
  /usr/lib/wine/wine --version >/dev/null 2>&1
}

# wine_prefix_fonts: Wine's own fonts (package fonts-wine, /usr/share/wine/fonts) into the prefix's
# Windows font folder. Debian's Wine 8 looks for them beside its data folder under a path that does
# not resolve ("<datadir>\../fonts"), and fontconfig does not list them, so without this copy the
# prefix has no Marlett: the frame's caption buttons then come out as the letters "0 1 r", and
# "MS Sans Serif" and Tahoma fall back to other faces. The Windows font folder is the first place
# Wine loads fonts from; copying on every start also mends prefixes made before.
wine_prefix_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] || return 0
  cp -u /usr/share/wine/fonts/* "$fonts"/
}

# wine_prefix_init PREFIX: create the prefix once (with the loader chosen by wine_use), with a fixed
# virtual desktop so windows get frames and a known screen size, and Wine's own fonts.
wine_prefix_init() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$AC_WINE" wineboot -i >/dev/null 2>&1 || true
    "$AC_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$AC_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  wine_prefix_fonts
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
