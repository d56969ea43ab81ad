# Sourced by test.sh, run.sh and the Wine-run tests: the Wine loader of a build, a private Wine
# prefix, a virtual display when there is no screen, and one persistent wineserver so each Windows
# program starts in milliseconds.

# The command that runs Windows programs; wine_use sets it for a build. The caller sets root, the
# repository folder, before sourcing this file.
AC_WINE=${AC_WINE:-wine}

# The 64-bit Wine loader, run natively: it serves the win64 build and looks after the prefixes.
AC_WINE64=/usr/lib/wine/wine64

# wine_use BUILD: the loader for the programs of build/BUILD, in AC_WINE. The 32-bit programs (win32,
# the build we ship) run under Debian's 32-bit Wine emulated by qemu-i386, from build/wine32 (made
# by emulation/wine32-sysroot.sh through setup.sh): on our machines the kernel runs no 32-bit code,
# and on those that do, the same road runs the same way. win64 takes the 64-bit loader by its path
# and names it in WINELOADER so that Wine starts further processes with it too. The `wineserver`
# command runs the native 64-bit server, which serves both.
wine_use() {
  if [ "$1" = win64 ]; then
    export WINELOADER=$AC_WINE64
    AC_WINE=$WINELOADER
  else
    unset WINELOADER
    AC_WINE=$root/build/wine32/wine
  fi
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

# wine_prefix_syswow64: the 32-bit half of the prefix. The native 64-bit wineboot that makes the
# prefix cannot run its 32-bit part, so syswow64 stays empty and a 32-bit program finds no
# kernel32.dll; it gets links to the emulated Wine's 32-bit DLLs instead, and the mingw zlib1.dll
# that Debian's 32-bit user32.dll imports. Done on every start: cheap, and it mends older prefixes.
wine_prefix_syswow64() {
  local syswow64=$WINEPREFIX/drive_c/windows/syswow64
  local dlls=$root/build/wine32/root/usr/lib/i386-linux-gnu/wine/i386-windows
  [ -d "$dlls" ] && [ -d "$syswow64" ] || return 0
  ln -sf "$dlls"/* "$syswow64"/
  ln -sf /usr/i686-w64-mingw32/lib/zlib1.dll "$syswow64"/zlib1.dll
}

# wine_prefix_wow64_registry: what Windows keeps for 32-bit programs in their own registry view
# (Program Files (x86), the 32-bit version keys, ...). wineboot writes it from wine.inf's section
# Wow64Install with the 32-bit rundll32, which the native wineboot cannot start; here the emulated
# one installs that section's registry part alone. The rest of the section would install fake DLLs
# over the syswow64 links, that is, into the emulated Wine's own files.
wine_prefix_wow64_registry() {
  local inf=$WINEPREFIX/wow64-registry.inf
  [ -x "$root/build/wine32/wine" ] || return 0
  {
    cat /usr/share/wine/wine.inf
    printf '\n[Wow64Registry]\n'
    sed -n '/^\[Wow64Install\]/,/^$/p' /usr/share/wine/wine.inf | sed -n '/^AddReg=/,/^$/p'
  } >"$inf"
  "$root/build/wine32/wine" rundll32.exe setupapi.dll,InstallHinfSection Wow64Registry 128 \
    "Z:$(printf '%s' "$inf" | tr / '\\')" >/dev/null 2>&1
}

# wine_prefix_init PREFIX: create the prefix once, with the native 64-bit loader, with a fixed
# virtual desktop so windows get frames and a known screen size (and no second wait at exit, which
# a bare X display without window manager causes), the 32-bit registry view, Wine's own fonts and
# the 32-bit DLLs.
wine_prefix_init() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  local new=0
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    new=1
    mkdir -p "$WINEPREFIX"
    (
      export WINELOADER=$AC_WINE64
      "$AC_WINE64" wineboot -i >/dev/null 2>&1 || true
      "$AC_WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
      "$AC_WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
        >/dev/null 2>&1
    )
  fi
  wine_prefix_fonts
  wine_prefix_syswow64
  if [ $new = 1 ]; then
    wine_prefix_wow64_registry
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
