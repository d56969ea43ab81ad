#!/usr/bin/env bash
# Installs everything the builds need on a Debian 12 machine (run as root), cross-builds
# libjpeg-turbo for i686- and x86_64-w64-mingw32 and prepares the emulated 32-bit Wine in
# build/wine32. Safe to run again: it skips what is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(
  g++ cmake ninja-build pkg-config python3
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 nasm
  g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine fonts-liberation libz-mingw-w64
  xvfb x11-utils xdotool imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev liblz4-dev zlib1g-dev clang libclang-rt-14-dev
  libjpeg-turbo-progs libjpeg62-turbo-dev dpkg-dev osslsigncode openssl
  nsis
)

need_update=0
src_list=/etc/apt/sources.list.d/debian-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  # Unreachable third-party sources only warn; a real failure shows up in the install below.
  apt-get update -q || true
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The posix-threads flavour of the cross compilers is the one we build with (the shipped programs
# link the win32 flavour's runtime, see launcher/CMakeLists.txt).
for target in i686-w64-mingw32 x86_64-w64-mingw32; do
  for tool in gcc g++; do
    alt=/usr/bin/$target-$tool-posix
    [ -x "$alt" ] && update-alternatives --set $target-$tool "$alt" >/dev/null 2>&1 || true
  done
done

# libjpeg_build ARCH: libjpeg-turbo for ARCH-w64-mingw32 (toolchain cmake/mingw-ARCH.cmake), from
# Debian's source package, static, into build/deps/libjpeg-ARCH. The program only decodes one small
# logo (progressive Huffman, default decoding settings), so the library is built for size: no SIMD,
# no arithmetic coding, optimised for size, each function in a section of its own for the linker's
# garbage collection, without the decoder features the program never asks for (other DCT methods,
# scaled output, merged upsampling, colour quantisation), without reading JPEGMEM from the
# environment (which links a whole scanf), and with the C runtime's own sprintf for its messages.
# The 32-bit library carries no unwind tables: its errors leave it by longjmp, never by a C++
# exception, and the linker keeps every function an unwind table names, used or not. (64-bit
# Windows requires unwind data for every function, so that build keeps it.)
# The stamp file records these settings; a library built with others is built again.
libjpeg_options=(
  -DCMAKE_BUILD_TYPE=MinSizeRel -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
  -DWITH_SIMD=OFF -DWITH_ARITH_DEC=OFF -DWITH_ARITH_ENC=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
)
libjpeg_cflags="-ffunction-sections -fdata-sections -DNO_GETENV -D__USE_MINGW_ANSI_STDIO=0"
libjpeg_cflags_i686="-fno-asynchronous-unwind-tables -fno-unwind-tables"
libjpeg_features_off=(DCT_IFAST_SUPPORTED DCT_FLOAT_SUPPORTED IDCT_SCALING_SUPPORTED
  UPSAMPLE_MERGING_SUPPORTED QUANT_1PASS_SUPPORTED QUANT_2PASS_SUPPORTED)
libjpeg_build() {
  local arch=$1 prefix=$root/build/deps/libjpeg-$1 work=$root/build/deps/src
  local stamp=$prefix/build-options
  local cflags=$libjpeg_cflags
  [ "$arch" = i686 ] && cflags+=" $libjpeg_cflags_i686"
  local settings="${libjpeg_options[*]} -DCMAKE_C_FLAGS=$cflags off: ${libjpeg_features_off[*]}"
  [ -f "$prefix/lib/libjpeg.a" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$settings" ] && return
  mkdir -p "$work"
  if ! ls "$work"/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
    (cd "$work" && apt-get source --download-only -q libjpeg-turbo)
  fi
  local tarball source=$work/libjpeg-turbo build=$work/libjpeg-build-$arch
  tarball=$(ls "$work"/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$source" "$build" && mkdir -p "$source"
  tar -xzf "$tarball" -C "$source" --strip-components=1
  local feature
  for feature in "${libjpeg_features_off[@]}"; do
    sed -i "s/^#define  *$feature\\b/#undef $feature/" "$source/jmorecfg.h"
    grep -q "^#undef $feature" "$source/jmorecfg.h"
  done
  cmake -S "$source" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${libjpeg_options[@]}" "-DCMAKE_C_FLAGS=$cflags" >/dev/null
  cmake --build "$build" >/dev/null
  rm -rf "$prefix"
  cmake --install "$build" >/dev/null
  echo "$settings" >"$stamp"
  echo "setup: libjpeg-turbo for $arch-w64-mingw32 in $prefix"
}
# AC_LIBJPEG_ARCHS limits the builds (e.g. "i686" for a tree that builds only the shipped program).
for arch in ${AC_LIBJPEG_ARCHS:-i686 x86_64}; do libjpeg_build "$arch"; done

# The 32-bit Windows programs run under Debian's 32-bit Wine emulated by qemu-i386, all of it in
# build/wine32 (see emulation/wine32-sysroot.sh): nothing i386 is installed on the system.
"$root/emulation/wine32-sysroot.sh" "$root/build/wine32"
