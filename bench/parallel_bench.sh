#!/bin/sh
# Speed-up of the README's many-files recipe: a folder of generated captures
# is converted to QTV 2 logs with jex2csv and each log reported with
# vudstats -act 2, once one file at a time and once with
# 'xargs -P "$(nproc)"'. Prints both wall-clock times (best of two), the
# speed-up, and the load average before the runs, since other work on the
# machine takes cores from the parallel run. Both ways must give the same files.
# Usage: parallel_bench.sh BUILD_DIR [FILES [RECORDS]]   (default 12 files of 200000 records)
set -eu
[ $# -ge 1 ] || { echo "usage: parallel_bench.sh BUILD_DIR [FILES [RECORDS]]" >&2; exit 2; }
build=$(CDPATH='' cd -- "$1" && pwd -P)
files=${2:-12}
records=${3:-200000}
gen=$build/tools/jexcapgen
jex=$build/jex2csv/jex2csv
vud=$build/vud_stats/vudstats
for p in "$gen" "$jex" "$vud"; do
  [ -x "$p" ] || { echo "parallel_bench.sh: $p is not built" >&2; exit 2; }
done
jobs=$(nproc)
work=$(mktemp -d "${TMPDIR:-/tmp}/parallel-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
PATH=$(dirname "$jex"):$(dirname "$vud"):$PATH
export PATH

mkdir "$work/captures"
i=1
while [ "$i" -le "$files" ]; do
  "$gen" -r "$records" -s "$i" "$work/captures/receiver$i.jex"
  i=$((i + 1))
done

# Fresh copies of the captures in $1, without logs or reports.
fresh() {
  rm -rf "$1"
  mkdir "$1"
  cp "$work"/captures/*.jex "$1"/
}

one_at_a_time() {
  for f in "$1"/*.jex; do jex2csv "$f" "${f%.jex}.csv"; done
  for f in "$1"/*.csv; do
    rm -f "${f%.csv}.text"
    vudstats -act 2 "$f" >"${f%.csv}.out" 2>&1 </dev/null
  done
}

# The recipe as the README gives it.
in_parallel() {
  find "$1" -name '*.jex' -print0 |
    xargs -0 -P "$jobs" -I{} sh -c 'jex2csv "$1" "${1%.jex}.csv"' sh {}
  find "$1" -name '*.csv' -print0 |
    xargs -0 -P "$jobs" -I{} sh -c 'rm -f "${1%.csv}.text"; vudstats -act 2 "$1" >"${1%.csv}.out" 2>&1 </dev/null' sh {}
}

# best_of_two WAY: the shorter wall-clock time of two runs of WAY, in seconds.
best_of_two() {
  best=
  for try in 1 2; do
    fresh "$work/$1"
    t0=$(date +%s.%N)
    "$1" "$work/$1"
    t1=$(date +%s.%N)
    best=$(awk -v a="$t0" -v b="$t1" -v best="$best" 'BEGIN { t = b - a; if (best == "" || t < best) best = t; printf "%.2f", best }')
    : "$try"
  done
  echo "$best"
}

load=$(cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo unknown)
seq_s=$(best_of_two one_at_a_time)
par_s=$(best_of_two in_parallel)

# The same logs and reports either way (the terminal text names the folder).
for f in "$work"/one_at_a_time/*.csv "$work"/one_at_a_time/*.text; do
  cmp -s "$f" "$work/in_parallel/${f##*/}" || { echo "parallel_bench.sh: ${f##*/} differs between the two runs" >&2; exit 1; }
done

lines=$(cat "$work"/one_at_a_time/*.csv | wc -l)
printf '%d captures of %d records (%d log lines in all), %d cores, load average before: %s\n' \
  "$files" "$records" "$lines" "$jobs" "$load"
printf 'one file at a time: %8.2f s\n' "$seq_s"
printf 'xargs -P %d:         %8.2f s\n' "$jobs" "$par_s"
awk -v s="$seq_s" -v p="$par_s" 'BEGIN { if (p <= 0) p = 0.01; printf "speed-up: %.2fx\n", s / p }'
