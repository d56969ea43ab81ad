# shellcheck shell=bash disable=SC2034
# Sourced by reproducible.sh and release.sh: the one list of the win32 build's programs that a
# release is made of, as TARGET:PATH (PATH under build/win32/). `ship` marks what release.sh puts
# into dist/; every entry must build bit for bit the same in any folder at any time.
ac_programs=(
  Project1:bin/Project1.exe:ship
  sysinfo:bin/sysinfo.exe:ship
  sfpack:bin/sfpack.exe:ship
  quillmoor_setup:bin/quillmoor_setup.exe
  installer_payload:payload/quillmoor_full.exe
)

# The host tools the win32 build runs while building the programs above.
ac_host_tools=(formconv sfpack padinstaller)

# The tools for Linux that release.sh also puts into dist/, built by the tools-release preset
# (optimised, without the sanitizers of the host build) into build/tools-release/bin/.
ac_release_tools=(sfpack formconv)

# ac_program_field ENTRY N: field N (1 target, 2 path, 3 ship mark) of a list entry.
ac_program_field() {
  local IFS=:
  local -a fields
  read -ra fields <<<"$1"
  printf '%s' "${fields[$(($2 - 1))]:-}"
}
