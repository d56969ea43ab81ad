#!/usr/bin/env bash
# Installs everything the two builds need on a Debian 12 machine (run as root) and cross-builds
# libjpeg-turbo for i686-w64-mingw32. Safe to run again: it skips what is already there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

packages=(
  g++ cmake ninja-build pkg-config python3
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686 nasm
  wine wine32:i386 fonts-wine fonts-liberation
  xvfb x11-utils xdotool imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  libjpeg-turbo-progs dpkg-dev
)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
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

# The posix-threads flavour of the cross compiler is the one we build with.
for tool in gcc g++; do
  alt=/usr/bin/i686-w64-mingw32-$tool-posix
  [ -x "$alt" ] && update-alternatives --set i686-w64-mingw32-$tool "$alt" >/dev/null 2>&1 || true
done

# libjpeg-turbo for Windows, from Debian's source package, static, into build/deps.
prefix=$root/build/deps/libjpeg-i686
if [ ! -f "$prefix/lib/libjpeg.a" ]; then
  work=$root/build/deps/src
  mkdir -p "$work"
  if ! ls "$work"/libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1; then
    (cd "$work" && apt-get source --download-only -q libjpeg-turbo)
  fi
  tarball=$(ls "$work"/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  rm -rf "$work/libjpeg-turbo" && mkdir -p "$work/libjpeg-turbo"
  tar -xzf "$tarball" -C "$work/libjpeg-turbo" --strip-components=1
  cmake -S "$work/libjpeg-turbo" -B "$work/libjpeg-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$work/libjpeg-build" >/dev/null
  cmake --install "$work/libjpeg-build" >/dev/null
  echo "setup: libjpeg-turbo for i686-w64-mingw32 in $prefix"
fi
