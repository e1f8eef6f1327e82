#!/bin/bash
# vudstats against the analyst's Python script, in one interleaved run on the
# same 1,000,000-line QTV 2 log (12 sensors, made by the shared mklog.py), and
# the lines per second of vudstats on a 1,000,000-line MOLVA log (vudloggen).
# Prints both medians, the paired ratio (the median of the per-round ratios,
# the steadier figure on a busy machine) and whether the target of 10x is met.
# Usage: vudstats_ratio.sh VUDSTATS VUDLOGGEN SHARED_BENCH [WORKDIR [ROUNDS]]
set -eu
# The run changes to WORKDIR: names given relative to here are made whole.
vud=$(realpath "$1")
gen=$(realpath "$2")
shared=$(realpath "$3")
work=${4:-$(mktemp -d "${TMPDIR:-/tmp}/vudstats-ratio.XXXXXX")}
rounds=${5:-9}
target=10
lines=1000000
mkdir -p "$work"
cd "$work"

for f in mklog.py py_fivemin.py ibench.py; do
  [ -f "$shared/$f" ] || { echo "no $shared/$f: the shared bench folder is needed" >&2; exit 1; }
done
[ -f qtv2.csv ] || python3 "$shared/mklog.py" "$lines" qtv2.csv --seed 1 --sensors 12 --fast
[ -f molva.csv ] || "$gen" -layout molva -sensors 12 -lines "$lines" -seed 3 -o molva.csv

# A report left from an earlier run would start the overwrite dialogue.
rm -f qtv2.text molva.text
"$vud" -act 2 qtv2.csv < /dev/null > /dev/null 2>&1 || { echo "vudstats failed on qtv2.csv" >&2; exit 1; }

python3 "$shared/ibench.py" -n "$rounds" --ref vudstats \
  vudstats="rm -f qtv2.text ;; $vud -act 2 qtv2.csv" \
  python="rm -f py.csv ;; python3 $shared/py_fivemin.py qtv2.csv py.csv" \
  molva="rm -f molva.text ;; $vud -act b molva.csv" | tee ibench.txt

# Columns of ibench.py: label, wall median, fastest, cpu median, ratio, paired.
awk -v lines="$lines" -v target="$target" '
  $1 == "vudstats" { ours = $2; ours_cpu = $4 }
  $1 == "python"   { py = $2; py_cpu = $4; paired = $6 }
  $1 == "molva"    { molva = $2; molva_cpu = $4 }
  END {
    printf "\nvudstats -act 2, %d-line QTV 2 log: %.3f s (cpu %.3f s), %d lines/s\n", lines, ours, ours_cpu, lines / ours
    printf "py_fivemin.py, same log:            %.3f s (cpu %.3f s)\n", py, py_cpu
    verdict = (paired >= target) ? "met" : "NOT met"
    printf "ratio python/vudstats: %.1fx (paired %.1fx, cpu %.1fx); target %dx: %s\n", py / ours, paired, py_cpu / ours_cpu, target, verdict
    printf "vudstats -act b, %d-line MOLVA log: %.3f s (cpu %.3f s), %d lines/s\n", lines, molva, molva_cpu, lines / molva
  }' ibench.txt
