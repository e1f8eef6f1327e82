#!/bin/bash
# Page making of vudplot on a one-year report of 12 sensors: a QTV 2 log of
# one packet every five minutes per sensor for 365 days (1,261,440 lines)
# becomes a report of one row per five-minute step (vudstats -act 2), and
# vudplot draws it. Printed: the report's rows and size, vudplot's time (best
# of three runs, wall-clock and processor), the page's size against the 2 MB
# it should stay under, and, where Chromium is installed, how long it takes to
# load the page.
# Usage: vudplot_bench.sh VUDLOGGEN VUDSTATS VUDPLOT [WORKDIR]
set -eu
abs() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
gen=$(abs "$1")
vud=$(abs "$2")
plot=$(abs "$3")
work=${4:-$(mktemp -d "${TMPDIR:-/tmp}/vudplot-bench.XXXXXX")}
mkdir -p "$work"
cd "$work"

if [ ! -s year.text ]; then
  "$gen" -sensors 12 -interval 300 -span 31536000 -start 2014/01/01,00:00:00 -kind2 4 -seed 9 -o year.csv
  rm -f year.text
  "$vud" -act 2 year.csv < /dev/null > vudstats.out 2>&1 || {
    echo "vudstats failed (see $work/vudstats.out)" >&2
    exit 1
  }
fi
rows=$(grep -c '^ *[0-9]' year.text)
report_bytes=$(wc -c < year.text)

best_wall=
best_cpu=
for try in 1 2 3; do
  TIMEFORMAT='%3R %3U %3S'
  times=$({ time "$plot" -o year.html year.text > plot.out 2>&1; } 2>&1) || {
    echo "vudplot failed (see $work/plot.out)" >&2
    exit 1
  }
  read -r wall user sys <<< "$times"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
  if [ -z "$best_wall" ] || awk -v a="$wall" -v b="$best_wall" 'BEGIN { exit !(a < b) }'; then best_wall=$wall; fi
  if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
  : "$try"
done
page_bytes=$(wc -c < year.html)
printf 'vudplot: report of %d rows x 60 values (%.1f MB) -> page in %s s wall, %s s cpu\n' \
  "$rows" "$(awk -v b="$report_bytes" 'BEGIN { print b / 1048576 }')" "$best_wall" "$best_cpu"
printf 'page: %d bytes (%.2f MB), %d charts, %d lines\n' "$page_bytes" \
  "$(awk -v b="$page_bytes" 'BEGIN { print b / 1048576 }')" \
  "$(grep -o '<svg class="chart"' year.html | wc -l)" "$(grep -o '<path class="line"' year.html | wc -l)"
if [ "$page_bytes" -lt 2097152 ]; then
  echo "target page under 2 MB: reached"
else
  echo "target page under 2 MB: NOT reached"
fi
echo "page: $work/year.html"

# How long a browser takes to read and lay out the page: headless Chromium
# loads a copy that records the time from navigation start to the load event
# (best of three), beside the same figure for an almost empty page.
browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "browser load time: not measured (chromium is not installed)"
  exit 0
fi
stamp='<script>addEventListener("load",function(){document.body.dataset.loadMs=Math.round(performance.now())})</script></body>'
sed "s|</body>|$stamp|" year.html > timed_year.html
printf '<!DOCTYPE html><html><body><p>x</p>%s</html>\n' "$stamp" > timed_empty.html
load_ms() {
  best=
  for try in 1 2 3; do
    ms=$("$browser" --headless --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run \
      --user-data-dir="$work/profile" --window-size=1100,2200 --dump-dom "file://$work/$1" \
      < /dev/null 2> /dev/null | sed -n 's/.*data-load-ms="\([0-9]*\)".*/\1/p')
    if [ -n "$ms" ] && { [ -z "$best" ] || [ "$ms" -lt "$best" ]; }; then best=$ms; fi
    : "$try"
  done
  echo "${best:-?}"
}
printf 'browser load time (headless Chromium, best of 3): page %s ms, empty page %s ms\n' \
  "$(load_ms timed_year.html)" "$(load_ms timed_empty.html)"
rm -rf "$work/profile"
