#!/bin/sh
# Build the Debian package vantrel-tools_VERSION_ARCH.deb: the programs, their
# manual pages and the copyright file, depending only on the C and C++
# runtime. Installs what a Debian machine lacks for that first. The package is
# written to OUTDIR (default: the source tree); an older vantrel-tools_*.deb
# there is removed, so 'apt-get install ./vantrel-tools_*.deb' finds one.
# Usage: ./package.sh [OUTDIR]
set -eu
src=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd -P)
me=package.sh
. "$src/tools/setup.sh"

# What packaging needs, one Debian package a line, each with the check that
# what it brings is already there. dpkg-shlibdeps (dpkg-dev) works out the
# runtime dependencies; CPack finds the programs among the files with 'file'.
package_packages='
cmake     command -v cmake
g++       command -v g++
make      command -v make || command -v ninja
dpkg-dev  command -v dpkg-shlibdeps
file      command -v file
'

out=${1:-$src}
[ -d "$out" ] || die "no such folder: $out"
out=$(CDPATH='' cd -- "$out" && pwd -P)

install_missing "$package_packages"

# The folder ./demo.sh builds: the programs alone, optimised.
build="$src/build-release"
configure_build "$build" -DCMAKE_BUILD_TYPE=Release -DVUD_BUILD_TESTS=OFF -DVUD_BUILD_BENCH=OFF
cmake --build "$build" -j "$jobs"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB)

set -- "$build"/packages/vantrel-tools_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || die "cpack made no single vantrel-tools_*.deb in $build/packages"
deb=$1
name=${deb##*/}

# Copied under a temporary name and renamed, so a reader never sees half a package.
rm -f "$out"/vantrel-tools_*.deb
cp "$deb" "$out/.$name.part"
mv "$out/.$name.part" "$out/$name"
say "made $out/$name"
dpkg-deb --field "$out/$name" Package Version Architecture Depends
