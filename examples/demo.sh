#!/bin/sh
# The whole chain on the bundled sample: the capture becomes a QTV 2 log (CSV),
# the sensors heard are listed, and vudstats turns the log into a five-minute
# report, which vudplot draws as a page of charts (kept in the build folder).
# Usage: examples/demo.sh [build-dir | --installed]
# With --installed the programs are the ones on PATH (an installed package).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
case $build in --installed | /*) ;; *) build=$(pwd)/$build ;; esac

# program FOLDER NAME: the program NAME, built in FOLDER of the build tree or
# installed.
program() {
  if [ "$build" = --installed ]; then
    command -v "$2" || { echo "demo.sh: $2 is not installed" >&2; exit 1; }
  else
    echo "$build/$1/$2"
  fi
}
jex=$(program jex2csv jex2csv)
vud=$(program vud_stats vudstats)
plot=$(program vudplot vudplot)
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== jex2csv: $here/sample.jex -> sample.csv (first 10 lines)"
"$jex" "$here/sample.jex" "$work/sample.csv"
head -n 10 "$work/sample.csv"
echo "   ... $(wc -l < "$work/sample.csv") lines in all"
echo
echo "== jex2csv -l: the sensors heard"
"$jex" -l "$here/sample.jex" 2>&1
echo
echo "== vudstats -act 2 sample.csv -> sample.text (terminal text)"
# The sample holds packets of kind 3, which the log reader reports as range
# warnings (two lines and a blank each); they are counted here, not shown.
(cd "$work" && "$vud" -act 2 sample.csv > vudstats.out 2>&1)
grep -v -e '^WARNING: in ' -e ' the env packet value (3)' -e '^ $' "$work/vudstats.out" || true
echo "   ($(grep -c '^WARNING: in ' "$work/vudstats.out" || true) range warnings for packet kind 3)"
echo
echo "== sample.text (first 15 lines)"
head -n 15 "$work/sample.text"
echo
echo "== vudplot sample.text -> a page of charts"
# The page outlives the demo: in the build folder, or for installed programs
# in the temporary folder.
if [ "$build" = --installed ]; then page=${TMPDIR:-/tmp}/vudplot_sample.html; else page=$build/vudplot_sample.html; fi
"$plot" -o "$page" "$work/sample.text"
echo "   open $page in a browser"
