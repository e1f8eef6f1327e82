#!/bin/sh
# Checks of tools/setup.sh, the set-up of ./demo.sh, ./test.sh and
# ./package.sh: which packages count as missing, and how a build folder made
# before is configured again (its own generator kept; made afresh when it
# belongs to another source tree).
set -eu
repo=$(CDPATH='' cd -- "$(dirname -- "$0")/.." && pwd -P)
me=setup_test
. "$repo/tools/setup.sh"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/setup-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
failures=0
check() {  # check WHAT GOT WANT
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAILED: $1: got '$2', want '$3'"; failures=$((failures + 1)); fi
}

# Comments and blank lines are skipped, a check that reads standard input
# gets none (so it cannot eat the lines after it), and an alternative in a
# check counts.
got=$(missing_packages '
# a comment
present   true
absent    false
reads     read -r line
later     false
either    false || true
')
check "missing packages" "$got" "absent reads later "

# A folder made with either generator is configured again with it.
src=$tmp/src
mkdir -p "$src"
printf 'cmake_minimum_required(VERSION 3.25)\nproject(setup_probe NONE)\n' >"$src/CMakeLists.txt"
for g in 'Unix Makefiles' Ninja; do
  generator_usable "$g" || { echo "skip: $g is not on this machine"; continue; }
  rm -rf "$src/build-x"
  cmake -S "$src" -B "$src/build-x" -G "$g" >/dev/null
  configure_build "$src/build-x" >"$tmp/out" 2>&1 || { cat "$tmp/out"; failures=$((failures + 1)); }
  got=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$src/build-x/CMakeCache.txt")
  check "folder made with $g keeps it" "$got" "$g"
done

# A folder copied from another source tree (a moved clone) is made afresh
# instead of failing on the other tree's cache.
other=$tmp/other
mkdir -p "$other"
cp "$src/CMakeLists.txt" "$other/"
cmake -S "$other" -B "$other/build-x" >/dev/null
rm -rf "$src/build-x"
cp -R "$other/build-x" "$src/build-x"
status=0
configure_build "$src/build-x" >"$tmp/out" 2>&1 || status=$?
check "copied folder configures" "$status" 0
got=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$src/build-x/CMakeCache.txt")
check "copied folder now belongs to its tree" "$got" "$src"

[ "$failures" -eq 0 ] || { echo "setup_test: $failures failed"; exit 1; }
