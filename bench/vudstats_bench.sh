#!/bin/sh
# Throughput of vudstats on generated QTV 2 logs: a 1,000,000-line log and an
# 80,000-line one (20 sensors, one packet a minute each). Each run is
# 'vudstats -act 2', both passes over the log included; the figure printed is
# log lines per second of wall-clock time, best of three runs.
# Usage: vudstats_bench.sh VUDLOGGEN VUDSTATS [WORKDIR]
set -eu
gen=$1
vud=$2
work=${3:-$(mktemp -d "${TMPDIR:-/tmp}/vudstats-bench.XXXXXX")}
mkdir -p "$work"
cd "$work"

now_ns() { date +%s%N; }

run_one() {
  lines=$1
  log=bench$lines.csv
  "$gen" -sensors 20 -interval 60 -lines "$lines" -start 2014/01/06,00:00:00 -seed 7 -o "$log"
  best=0
  for try in 1 2 3; do
    rm -f "bench$lines.text"
    t0=$(now_ns)
    if ! "$vud" -act 2 "$log" < /dev/null > "bench$lines.out" 2>&1; then
      echo "vudstats failed on $log (see $work/bench$lines.out)" >&2
      exit 1
    fi
    t1=$(now_ns)
    ns=$((t1 - t0))
    [ "$ns" -gt 0 ] || ns=1
    rate=$((lines * 1000000000 / ns))
    [ "$rate" -gt "$best" ] && best=$rate
    : "$try"
  done
  rows=$(wc -l < "bench$lines.text")
  printf 'vudstats -act 2: %8d log lines, report %6d lines, %9d lines/s\n' "$lines" "$rows" "$best"
  if [ "$lines" -eq 1000000 ]; then
    if [ "$best" -ge 1500000 ]; then
      echo "target 1500000 lines/s: reached"
    else
      echo "target 1500000 lines/s: NOT reached"
    fi
  fi
}

run_one 80000
run_one 1000000
