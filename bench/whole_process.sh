#!/usr/bin/env bash
# Whole-process timings of encoding a 256 MiB dataset in place (it sits in
# the page cache), each program with its default threads and on one core
# (`taskset -c 0`): (a) on a quiet machine, (b) with a busy loop of this
# script's own on the other core. The runs of every program and setting take
# turns, in the opposite order every other round, so that a change in the
# machine's load meets all of them alike and no run always follows the same
# one. The script prints the fastest and the median wall-clock time of each,
# its CPU times and its peak resident memory, and the load average before
# and after; then the ratios of runs taken in the same round (seconds
# apart), which a slow phase of a shared host, lasting up to minutes, meets
# on both sides: the default threads against one core, and each program
# after the first against the first.
#
#   bench/whole_process.sh [-n RUNS] [-m MiB] PROGRAM...
#
# PROGRAM is a build of bench/tarvex5_without_pause (the program without its
# intro pause), e.g. build-release/bench/tarvex5_without_pause; give two to
# compare them. Linux only (taskset, GNU time).
set -euo pipefail

runs=15
mib=256
while getopts "n:m:" option; do
  case "$option" in
    n) runs=$OPTARG ;;
    m) mib=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
if [ $# -eq 0 ]; then
  echo "usage: $0 [-n RUNS] [-m MiB] PROGRAM..." >&2
  exit 2
fi
programs=()
for program in "$@"; do
  programs+=("$(realpath "$program")")
done
cores=$(nproc)
if [ "$cores" -lt 2 ]; then
  echo "needs two cores" >&2
  exit 2
fi
other=$((cores - 1))

work=$(mktemp -d)
busy=
finish() {
  if [ -n "$busy" ]; then
    kill "$busy" 2>/dev/null || true
    wait "$busy" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT
cd "$work"
head -c $((mib * 1048576)) /dev/urandom >data

# One run: wall-clock milliseconds, then GNU time's peak memory (KiB), user
# and system seconds.
run_once() {
  local pinning=$1 program=$2
  local start end
  start=$(date +%s%N)
  if [ "$pinning" = one ]; then
    /usr/bin/time -f "%M %U %S" -o rusage taskset -c 0 "$program" 0 log.txt data 1 1 secret 0 >/dev/null
  else
    /usr/bin/time -f "%M %U %S" -o rusage "$program" 0 log.txt data 1 1 secret 0 >/dev/null
  fi
  end=$(date +%s%N)
  echo "$(((end - start) / 1000000)) $(cat rusage)"
}

# Prints the fastest, the median and the means of the runs in file $1.
summarize() {
  sort -n "$1" | awk '{ wall[NR] = $1; if ($2 > rss) rss = $2; user += $3; sys += $4 }
    END { printf "min %5d ms  median %5d ms  user %4.0f ms  sys %4.0f ms  peak %5.1f MiB\n",
          wall[1], wall[int((NR + 1) / 2)], 1000 * user / NR, 1000 * sys / NR, rss / 1024 }'
}

# The median and quartiles of the ratios of the runs in file $1 to those in
# file $2 taken in the same round: a few seconds apart, so that a slow phase
# of a shared host (which can last minutes) meets both sides of a ratio.
paired_ratio() {
  paste "$1" "$2" | awk '{ print $1 / $5 }' | sort -g | awk '{ r[NR] = $1 }
    END { printf "median %.3f  quartiles %.3f to %.3f", r[int((NR + 1) / 2)], r[int((NR + 3) / 4)], r[int((3 * NR + 3) / 4)] }'
}

measure() {
  local phase=$1
  rm -f -- *.times
  for program in "${programs[@]}"; do  # warm-up: the page cache, the binaries
    run_once default "$program" >/dev/null
  done
  # Every other round takes the runs in the opposite order, so that each
  # run follows the others as often as they follow it.
  local settings=()
  for p in "${!programs[@]}"; do
    settings+=("$p default" "$p one")
  done
  local count=${#settings[@]}
  for ((i = 0; i < runs; ++i)); do
    for ((s = 0; s < count; ++s)); do
      local k=$s
      ((i % 2 == 1)) && k=$((count - 1 - s))
      read -r p pinning <<<"${settings[$k]}"
      run_once "$pinning" "${programs[$p]}" >>"$p.$pinning.times"
    done
  done
  for p in "${!programs[@]}"; do
    for pinning in default one; do
      label="default threads"
      [ "$pinning" = one ] && label="taskset -c 0   "
      echo "$phase  $label  $(summarize "$p.$pinning.times")  ${programs[$p]}"
    done
  done
  for p in "${!programs[@]}"; do
    echo "$phase  default threads : taskset -c 0, paired  $(paired_ratio "$p.default.times" "$p.one.times")  ${programs[$p]}"
  done
  for ((p = 1; p < ${#programs[@]}; ++p)); do
    for pinning in default one; do
      label="default threads"
      [ "$pinning" = one ] && label="taskset -c 0   "
      echo "$phase  $label, this : the first, paired  $(paired_ratio "$p.$pinning.times" "0.$pinning.times")  ${programs[$p]}"
    done
  done
}

echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(lscpu | sed -n 's/^Model name: *//p'), $cores cores"
echo "$mib MiB, $runs runs of each; load average $(cut -d' ' -f1-3 /proc/loadavg)"
measure "(a) quiet"
taskset -c "$other" sh -c 'while :; do :; done' &
busy=$!
measure "(b) busy "
kill "$busy"
wait "$busy" 2>/dev/null || true
busy=
echo "load average $(cut -d' ' -f1-3 /proc/loadavg)"
