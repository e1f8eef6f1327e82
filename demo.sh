#!/bin/sh
# Build the programs and run the demo on the bundled samples: the capture
# becomes a QTV 2 log, its sensors are listed, and vudstats writes a
# five-minute report. Installs what a Debian machine lacks for that (a
# compiler, CMake, Make) first. Builds no tests, so needs no GoogleTest.
# Usage: ./demo.sh [--build-only]   (from any folder; again and again)
set -eu
src=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd -P)
me=demo.sh
. "$src/tools/setup.sh"

# What the demo needs, one Debian package a line, each with the check that
# what it brings is already there.
demo_packages='
cmake   command -v cmake
g++     command -v g++
make    command -v make || command -v ninja
'

build_only=false
case ${1:-} in
  --build-only) build_only=true ;;
  '') ;;
  *) die "usage: ./demo.sh [--build-only]" ;;
esac

install_missing "$demo_packages"

# The programs alone, optimised; ./package.sh packs the same folder.
build="$src/build-release"
configure_build "$build" -DCMAKE_BUILD_TYPE=Release -DVUD_BUILD_TESTS=OFF -DVUD_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs"
$build_only && exit 0

echo
sh "$src/examples/demo.sh" "$build"
