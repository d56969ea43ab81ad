#!/usr/bin/env bash
# wine32-sysroot.sh DIR: the means to run 32-bit Windows programs on a kernel that runs no 32-bit
# code at all, in DIR and nowhere else: Debian's 32-bit Wine unpacked into DIR/root, run by
# user-mode QEMU (DIR/bin/qemu-i386-static) with our fixes for that emulator preloaded. Nothing is
# installed system-wide: no i386 architecture in dpkg, no binfmt entry, no change to apt's
# configuration. Afterwards `DIR/wine PROGRAM.exe [ARGS]` runs a 32-bit program, served by the
# installed (native, 64-bit) wineserver.
#
# The 32-bit packages are pinned to the version of the installed 64-bit Wine: both halves talk to
# one wineserver, which refuses a client of another version. Only bookworm main's i386 index is
# needed; the others (bookworm-security's is sometimes broken on the mirror) may fail to download.
# Safe to run again: it does nothing when DIR was made by this script, from the same fixes, for the
# same Wine.
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
root=$dir/root

wine_version=$(dpkg-query -W -f='${Version}' libwine 2>/dev/null || true)
if [ -z "$wine_version" ] || [ ! -x /usr/lib/wine/wine64 ]; then
  echo "wine32-sysroot: the 64-bit Wine (packages wine64, libwine) is not installed" >&2
  exit 1
fi
stamp="wine $wine_version fixes $(cat "$here/qemu_fixes.c" "$0" | sha256sum | cut -c1-16)"
if [ -x "$dir/wine" ] && [ "$(cat "$dir/stamp" 2>/dev/null)" = "$stamp" ]; then
  exit 0
fi

# What the 32-bit loader needs to start, draw on X and load fonts, and nothing it merely recommends.
packages=(
  "libwine=$wine_version" "wine32=$wine_version" libc6 libgcc-s1 zlib1g libexpat1 libbsd0 libmd0
  libx11-6 libxau6 libxdmcp6 libxcb1 libxext6 libxrender1 libxrandr2 libxi6 libxcursor1
  libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1 libfreetype6 libpng16-16 libbrotli1
  libfontconfig1
)

# A private apt state that knows only i386 packages; the system's own lists stay as they are.
apt_i386=(
  -o APT::Architecture=i386 -o APT::Architectures::=i386
  -o "Dir::State::Lists=$dir/apt/lists" -o "Dir::Cache=$dir/apt/cache"
  -o Dir::State::status=/dev/null
)
rm -rf "$dir/apt" "$dir/debs" "$root" "$dir/bin"
mkdir -p "$dir/apt/lists/partial" "$dir/apt/cache/archives/partial" "$dir/debs" "$dir/bin"
if ! apt-get -q "${apt_i386[@]}" update >"$dir/apt/update.log" 2>&1; then
  if ! ls "$dir/apt/lists" | grep -q '_dists_bookworm_main_binary-i386_Packages'; then
    cat "$dir/apt/update.log" >&2
    echo "wine32-sysroot: bookworm main's i386 package index could not be downloaded" >&2
    exit 1
  fi
  echo "wine32-sysroot: some i386 indexes did not download (see $dir/apt/update.log);" \
    "bookworm main's is enough"
fi

cd "$dir/debs"
if ! apt-get -q "${apt_i386[@]}" download "${packages[@]}" >"$dir/apt/download.log" 2>&1; then
  cat "$dir/apt/download.log" >&2
  available=$(apt-cache "${apt_i386[@]}" madison wine32 | awk -F'|' '{gsub(/ /,"",$2); print $2}' |
    sort -u | paste -sd ' ')
  echo "wine32-sysroot: the installed 64-bit Wine is $wine_version, and the 32-bit Wine of that" \
    "version cannot be downloaded (i386 versions to be had: ${available:-none})." \
    "Install the 64-bit Wine of one of those versions, or wait for the mirror." >&2
  exit 1
fi
# The emulator: Debian's static build for this machine's architecture, unpacked, not installed
# (installing it would register it for every i386 program on the system).
apt-get -q download qemu-user-static >"$dir/apt/qemu.log" 2>&1 || {
  cat "$dir/apt/qemu.log" >&2
  exit 1
}
dpkg -x qemu-user-static_*.deb "$dir/qemu"
mv "$dir/qemu/usr/bin/qemu-i386-static" "$dir/bin/"
rm -rf "$dir/qemu"
for deb in *_i386.deb; do dpkg -x "$deb" "$root"; done
cd "$dir"

# The sysroot's own library cache: the emulated loader would otherwise read the host's and load
# 64-bit libraries. dpkg -x leaves out the loader's link in /lib.
ln -sf i386-linux-gnu/ld-linux.so.2 "$root/lib/ld-linux.so.2"
printf 'include /etc/ld.so.conf.d/*.conf\n' >"$root/etc/ld.so.conf"
ldconfig -r "$root"

# The fixes for the emulator go into every emulated process through the sysroot's own
# /etc/ld.so.preload; an LD_PRELOAD variable would reach the native 64-bit children too.
mkdir -p "$root/opt"
gcc -m32 -O2 -shared -fPIC -nostdlib -fno-builtin -Wall -Wextra -Werror \
  -o "$root/opt/qemu_fixes.so" "$here/qemu_fixes.c"
echo /opt/qemu_fixes.so >"$root/etc/ld.so.preload"

# Wine starts a 32-bit child as "<bindir>/wine-preloader <bindir>/wine ARGS": that runs emulated
# too. A 64-bit child ("<bindir>/wine64", wineboot and explorer among them) runs natively.
# WINELOADERNOEXEC keeps the 32-bit loader from executing itself again outside the emulator.
cat >"$root/usr/lib/wine/wine-preloader" <<EOF
#!/bin/sh
# Runs a 32-bit Wine process under qemu-i386 (made by emulation/wine32-sysroot.sh).
loader=\$1
shift
WINELOADERNOEXEC=1 exec "$dir/bin/qemu-i386-static" -L "$root" "\$loader" "\$@"
EOF
chmod +x "$root/usr/lib/wine/wine-preloader"
ln -sf /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"

cat >"$dir/wine" <<EOF
#!/bin/sh
# wine PROGRAM.exe [ARGS]: a 32-bit Windows program under qemu-i386 and Debian's 32-bit Wine.
unset WINELOADER
exec "$root/usr/lib/wine/wine-preloader" "$root/usr/lib/wine/wine" "\$@"
EOF
chmod +x "$dir/wine"
echo "$stamp" >"$dir/stamp"
echo "wine32-sysroot: 32-bit Wine $wine_version under qemu-i386 in $dir ($(du -sh "$root" | cut -f1))"
