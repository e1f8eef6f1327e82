#!/bin/sh
# Makes doc/vudplot_sample.png, the screenshot of the README: the bundled
# sample capture becomes a QTV 2 log (jex2csv), its report (vudstats -act 2)
# and the report's page (vudplot), which headless Chromium photographs.
# Usage: doc/vudplot_sample.sh [build-dir]   (needs Debian's chromium package)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${1:-build}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "vudplot_sample.sh: chromium is not installed (Debian package 'chromium')" >&2
  exit 1
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/vudplot-sample.XXXXXX")
trap 'rm -rf "$work"' EXIT

"$build/jex2csv/jex2csv" "$root/examples/sample.jex" "$work/sample.csv"
(cd "$work" && "$build/vud_stats/vudstats" -act 2 sample.csv < /dev/null > vudstats.out 2>&1)
"$build/vudplot/vudplot" -o "$work/sample.html" "$work/sample.text"
# As root Chromium runs only without its sandbox; no display, no input.
"$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run \
  --hide-scrollbars --force-device-scale-factor=1 --user-data-dir="$work/profile" \
  --window-size=1060,925 --screenshot="$here/vudplot_sample.png" \
  "file://$work/sample.html" < /dev/null > /dev/null 2>&1
echo "$here/vudplot_sample.png"
