#!/usr/bin/env bash
# Makes a release of the committed state (HEAD) from nothing: fetches HEAD into FOLDER/src (default
# build/release), builds there (libjpeg, the host tools the Windows build runs, the win32
# programs, the release build of the tools for Linux), takes a screenshot of the program with that
# tree's scripts/screenshot.sh, and writes FOLDER/dist/: the shipped programs and tools of
# scripts/programs.sh, window.png and SHA256SUMS.
# With AC_SIGN_PKCS12 (and AC_SIGN_PASSWORD, optionally AC_SIGN_TIMESTAMP_URL) in the environment
# Project1.exe is signed. FOLDER is removed first only if an earlier run made it; nothing outside
# it is written.
#
#   scripts/release.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/programs.sh
folder=$(realpath -m "${1:-$root/build/release}")
src=$folder/src dist=$folder/dist
marker=.release-folder
started=$(date +%s)

if [ -e "$folder/$marker" ]; then
  rm -rf "$folder"
elif [ -e "$folder" ] && [ -n "$(ls -A "$folder")" ]; then
  echo "release.sh: $folder exists and was not made by release.sh; give a new folder" >&2
  exit 2
fi
mkdir -p "$src" "$dist"
touch "$folder/$marker"

commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "== note: uncommitted changes are not part of the release"
fi
echo "== fetching $commit into $src"
git -C "$src" init -q
git -C "$src" fetch -q "$root" HEAD
git -C "$src" checkout -q --detach "$commit"
# A tool that honours SOURCE_DATE_EPOCH takes the commit's time instead of the clock.
SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct)
export SOURCE_DATE_EPOCH

# The libjpeg source package is taken from this tree's set-up, if it has one, instead of being
# downloaded again.
mkdir -p "$src/build/deps/src"
cp "$root"/build/deps/src/libjpeg-turbo_*.orig.tar.gz "$src/build/deps/src/" 2>/dev/null || true
cd "$src"
./scripts/setup.sh >"$folder/setup.log" 2>&1 || { cat "$folder/setup.log" >&2; exit 1; }

signing=(-DAC_SIGN_PKCS12= -DAC_SIGN_TIMESTAMP_URL=)
if [ -n "${AC_SIGN_PKCS12:-}" ]; then
  signing=(-DAC_SIGN_PKCS12="$(realpath "$AC_SIGN_PKCS12")"
           -DAC_SIGN_TIMESTAMP_URL="${AC_SIGN_TIMESTAMP_URL:-}")
  echo "== Project1.exe will be signed with $AC_SIGN_PKCS12"
fi
targets=() shipped=()
for entry in "${ac_programs[@]}"; do
  [ "$(ac_program_field "$entry" 3)" = ship ] || continue
  targets+=("$(ac_program_field "$entry" 1)")
  shipped+=("build/win32/$(ac_program_field "$entry" 2)")
done
echo "== building ${targets[*]}"
cmake --preset host >/dev/null
cmake --build --preset host --target "${ac_host_tools[@]}" >/dev/null
cmake --preset win32 "${signing[@]}" >/dev/null
cmake --build --preset win32 --target "${targets[@]}" >/dev/null
cp "${shipped[@]}" "$dist/"
# The tools for vendors on Linux: the release build, not the host build's sanitised test build.
echo "== building ${ac_release_tools[*]} for Linux (tools-release)"
cmake --preset tools-release >/dev/null
cmake --build --preset tools-release --target "${ac_release_tools[@]}" >/dev/null
for tool in "${ac_release_tools[@]}"; do
  if nm "build/tools-release/bin/$tool" | grep -q __asan; then
    echo "release.sh: build/tools-release/bin/$tool is instrumented (AddressSanitizer)" >&2
    exit 1
  fi
  cp "build/tools-release/bin/$tool" "$dist/"
done

# The screenshot of the shipped program's window, taken by the clone's own screenshot script
# (under the clone's emulated 32-bit Wine).
echo "== screenshot with scripts/screenshot.sh"
./scripts/screenshot.sh "$dist/window.png" >"$folder/screenshot.log" 2>&1 || {
  cat "$folder/screenshot.log" >&2
  echo "release.sh: no screenshot" >&2
  exit 1
}

(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "== $dist ($commit) in $(($(date +%s) - started)) s:"
(cd "$dist" && stat -c "  %s  %n" -- *)
