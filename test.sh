#!/bin/sh
# Build and run every test: a normal build, a sanitizer build (ASan+UBSan)
# and, where the toolchain can make 32-bit programs, the 32-bit vudstats
# against the same end-to-end expectations. Installs what a Debian machine
# lacks for that first. This is what CI runs.
# Usage: ./test.sh [format | build | normal | asan | m32 | tidy]...
#   (default: format normal asan m32)
#   format  every tracked .cc and .h file already as .clang-format lays it out
#   build   configure and build the normal folder (build/) without running
#   tidy    clang-tidy (.clang-tidy) over the programs' and libraries' sources of
#           build/; not among the defaults, as it takes several minutes: CI
#           runs it after them
set -eu
src=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd -P)
me=test.sh
. "$src/tools/setup.sh"

# Everything the tests need, one Debian package a line, each with the check
# that what it brings is already there. Add a new test's needs here.
test_packages='
cmake         command -v cmake
g++           command -v g++
make          command -v make || command -v ninja
libgtest-dev  test -f /usr/include/gtest/gtest.h
g++-multilib  not_amd64 || can_build_m32
chromium      command -v chromium
clang-format  command -v clang-format
'

# Fails on a formatting slip: every tracked source must be as clang-format
# (the tree's .clang-format) would write it. Fix with
#   git ls-files '*.cc' '*.h' | xargs clang-format -i
# Outside a git checkout (a copied tree) the sources are found by name, the
# build folders left out.
format() {
  if command -v git >/dev/null 2>&1 && git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z '*.cc' '*.h' | xargs -0 clang-format --dry-run -Werror)
  else
    (cd "$src" && find . -path './build*' -prune -o -type f \( -name '*.cc' -o -name '*.h' \) -print0 |
      xargs -0 clang-format --dry-run -Werror)
  fi
  say "formatting checked"
}

# Fails on any clang-tidy finding (the checks of the tree's .clang-tidy) in the
# programs' and libraries' sources the normal build compiles, each once, as
# listed in build/compile_commands.json (configuring is enough to make it);
# test sources (*_test.cc, tests/) are left out. Installs clang-tidy when it
# is missing.
tidy() {
  install_missing 'clang-tidy  command -v clang-tidy'
  [ -f "$src/build/compile_commands.json" ] || configure_build "$src/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$src/build/compile_commands.json" | sort -u |
    grep -v -e '_test\.cc$' -e "^$src/tests/" |
    xargs -P "$jobs" -n 1 clang-tidy -p "$src/build" --quiet ||
    die "clang-tidy: findings above (or run clang-tidy -p build FILE for one file)"
  say "clang-tidy found nothing"
}

# One build folder per kind of build, so each keeps its own generator and cache.
normal() {
  configure_build "$src/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$src/build" -j "$jobs"
  ctest --test-dir "$src/build" --output-on-failure -j "$jobs"
}

asan() {
  configure_build "$src/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVUD_SANITIZE=ON -DVUD_BUILD_BENCH=OFF
  cmake --build "$src/build-asan" -j "$jobs"
  ctest --test-dir "$src/build-asan" --output-on-failure -j "$jobs"
}

# The 32-bit vudstats (as the program is delivered) against the end-to-end
# expectations; only those two test programs are built in this folder. They
# run where the kernel runs 32-bit programs (some are booted without).
m32() {
  if ! can_build_m32; then
    say "32-bit build SKIPPED: g++ cannot build -m32 programs here (Debian amd64: g++-multilib)"
    return 0
  fi
  dir="$src/build-m32"
  runs=true
  can_run_m32 || runs=false
  targets='vudstats_e2e_test vudstats_dialogue_test'
  $runs || targets=vudstats
  configure_build "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVUDSTATS_M32=ON -DVUD_BUILD_BENCH=OFF
  # shellcheck disable=SC2086 # $targets is a word list
  cmake --build "$dir" -j "$jobs" --target $targets
  # Byte 5 of an ELF file is its class: 1 for 32-bit programs.
  class=$(od -An -tu1 -j4 -N1 "$dir/vud_stats/vudstats" | tr -d ' ')
  [ "$class" = 1 ] || die "$dir/vud_stats/vudstats is not a 32-bit program"
  if ! $runs; then
    say "32-bit vudstats built; its tests SKIPPED: this kernel does not run 32-bit programs"
    return 0
  fi
  # The test programs of this folder that were not built show up as *_NOT_BUILT.
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" -E '_NOT_BUILT$'
}

steps=${*:-format normal asan m32}
for step in $steps; do
  case $step in
    format | build | normal | asan | m32 | tidy) ;;
    *) die "unknown step '$step'; usage: ./test.sh [format | build | normal | asan | m32 | tidy]..." ;;
  esac
done

install_missing "$test_packages"
for step in $steps; do
  case $step in
    build)
      configure_build "$src/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
      cmake --build "$src/build" -j "$jobs"
      ;;
    *) "$step" ;;
  esac
done
