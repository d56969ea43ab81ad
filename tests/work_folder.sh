# shellcheck shell=bash
# Sourced by the test scripts that keep their files in a work folder of the build.

# fresh_work_folder DIR NAME: empties DIR and makes it again. DIR must end in /NAME, so that a
# wrong argument (an empty one, the build folder itself) never clears anything else.
fresh_work_folder() {
  case "$1" in
    */"$2") ;;
    *) echo "refusing to clear $1: the work folder must end in /$2" >&2; exit 2 ;;
  esac
  rm -rf "$1"
  mkdir -p "$1"
}
