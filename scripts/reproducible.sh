#!/usr/bin/env bash
# Checks that the win32 programs build bit for bit the same in another folder at another time:
# builds them here (incrementally), copies the tracked files of this tree into build/repro/src
# (the same commit when the tree is clean), builds them there from nothing (libjpeg, the host tools
# the win32 build runs, the programs) and compares each program of scripts/programs.sh byte by
# byte. Prints every difference and exits 1 if there is one. Deletes nothing outside build/repro.
#
#   scripts/reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$root/build/repro
copy=$work/src
. scripts/programs.sh
started=$(date +%s)

targets=()
for entry in "${ac_programs[@]}"; do targets+=("$(ac_program_field "$entry" 1)"); done

# build_programs TREE: the host tools and the listed win32 programs of the tree.
build_programs() {
  (cd "$1" && cmake --preset host >/dev/null &&
    cmake --build --preset host --target "${ac_host_tools[@]}" >/dev/null &&
    cmake --preset win32 >/dev/null &&
    cmake --build --preset win32 --target "${targets[@]}" >/dev/null)
}

if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "== note: the tree has uncommitted changes; both builds use them"
fi
echo "== building here ($root)"
build_programs "$root"

echo "== copying the tracked files to $copy"
rm -rf "$work"
mkdir -p "$copy"
git ls-files -z | tar --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -xf - -C "$copy"
# The libjpeg source package is taken from here instead of being downloaded again.
mkdir -p "$copy/build/deps/src"
cp "$root"/build/deps/src/libjpeg-turbo_*.orig.tar.gz "$copy/build/deps/src/" 2>/dev/null || true
echo "== building there"
AC_LIBJPEG_ARCHS=i686 "$copy/scripts/setup.sh" >"$work/setup.log" 2>&1 || { cat "$work/setup.log"; exit 1; }
build_programs "$copy"

status=0
for entry in "${ac_programs[@]}"; do
  path=$(ac_program_field "$entry" 2)
  here=$root/build/win32/$path there=$copy/build/win32/$path
  if cmp -s "$here" "$there"; then
    echo "same:    $path ($(stat -c %s "$here") bytes)"
  else
    status=1
    echo "DIFFERS: $path ($(stat -c %s "$here") and $(stat -c %s "$there") bytes)"
    # The first differing bytes (offset, octal values here and there), named where they fall
    # into the PE header fields that depend on the time of linking.
    pe=$(od -An -tu4 -j60 -N4 "$here" | tr -d ' ')
    { cmp -l "$here" "$there" 2>&1 || true; } | head -n 16 | awk -v pe="$pe" '
      $1 ~ /^[0-9]+$/ {
        at = $1 - 1; field = ""
        if (at >= pe + 8 && at < pe + 12) field = " (PE header TimeDateStamp)"
        if (at >= pe + 88 && at < pe + 92) field = " (PE header CheckSum)"
        printf "  offset 0x%x: %s -> %s%s\n", at, $2, $3, field; next
      }
      { print "  " $0 }'
    echo "  $({ cmp -l "$here" "$there" 2>/dev/null || true; } | wc -l) differing byte(s) in the common length"
  fi
  # A build path inside a program would make it depend on where it was built.
  for dir in "$root" "$copy"; do
    if grep -qaF "$dir" "$here" "$there"; then
      status=1
      echo "DIFFERS: $path contains the build path $dir"
    fi
  done
done
echo "== $([ $status = 0 ] && echo reproducible || echo NOT reproducible) in $(($(date +%s) - started)) s"
exit $status
