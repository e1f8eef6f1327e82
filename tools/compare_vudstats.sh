#!/bin/sh
# Runs two builds of vudstats over the same generated logs and says where
# their reports, terminal texts or exit statuses differ: every layout, a few
# seeds, sensor counts and intervals, clean logs and logs damaged by
# impossible stamps, far-off lines, cut lines and kind-2 packets, each with
# the layout's report action (-act 2, b, s or u), with -act L and with no
# action. Use it before and after a change that
# must not change outputs (a fast path, a new data structure).
#
#   tools/compare_vudstats.sh OLD_VUDSTATS NEW_VUDSTATS VUDLOGGEN [LINES]
#
# Prints one line per difference and a count; exits 1 when any run differs.
set -eu
if [ $# -lt 3 ]; then
  echo "usage: $0 OLD_VUDSTATS NEW_VUDSTATS VUDLOGGEN [LINES]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
gen=$(realpath "$3")
lines=${4:-30000}
work=$(mktemp -d "${TMPDIR:-/tmp}/compare-vudstats.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# run PROGRAM NAME [OPTION...]: one run on log.csv, its terminal text, exit
# status and report kept in NAME.shown, NAME.status and NAME.text.
run() {
  program=$1
  name=$2
  shift 2
  rm -f log.text
  status=0
  "$program" "$@" log.csv < /dev/null > "$name.shown" 2>&1 || status=$?
  echo "$status" > "$name.status"
  if [ -f log.text ]; then mv log.text "$name.text"; else : > "$name.text"; fi
}

runs=0
differ=0
for layout in qtv2 molva molva_short molva_units; do
  case $layout in
    qtv2) letter=2 ;;
    molva) letter=b ;;
    molva_short) letter=s ;;
    *) letter=u ;;
  esac
  for seed in 1 2 3; do
    for damage in "" "-impossible 7" "-faroff 11" "-cut 5" "-kind2 3"; do
      # shellcheck disable=SC2086
      "$gen" -layout "$layout" -seed "$seed" -sensors $((seed * 5)) -interval $((seed * 7)) \
        -lines "$lines" $damage -o log.csv 2> /dev/null || continue
      for act in "$letter" L none; do
        runs=$((runs + 1))
        if [ "$act" = none ]; then
          run "$old" old
          run "$new" new
        else
          run "$old" old -act "$act"
          run "$new" new -act "$act"
        fi
        for part in status shown text; do
          if ! cmp -s "old.$part" "new.$part"; then
            differ=$((differ + 1))
            echo "differ ($part): -layout $layout -seed $seed $damage, action: $act"
            break
          fi
        done
      done
    done
  done
done
echo "$runs runs, $differ differ"
[ "$differ" -eq 0 ]
