#!/bin/sh
# The program under a sweep of limits of its address space (ulimit -v), from
# where it cannot even be loaded to where it processes everything: every run
# the system starts either completes or ends cleanly, with its closing line,
# nothing on the standard error and no signal (a failed allocation once
# ended it with "terminate called after throwing an instance of
# 'std::bad_alloc'"). Three selections: a tree with a dataset over 64 KiB
# (the helper thread takes part where there is a second core), the same
# bound to one core (one thread), and a chain of subdirectories 300 deep.
# Prints, for each, which limits ended how.
#
#   memory_limits.sh PROGRAM [LOWEST HIGHEST STEP]     (limits in KiB)
set -eu
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
lowest=${2:-3000}
highest=${3:-16000}
step=${4:-250}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

closing='En-/decoding program  T A R V E X 5  1.0  terminated.'
# The trees are shared by the runs of a sweep, which run at the same time:
# what their datasets hold afterwards does not matter here.
mkdir -p "$work/flat/sub" "$work/deep"
head -c 300000 /dev/urandom > "$work/flat/a.bin"
head -c 1000 /dev/urandom > "$work/flat/sub/b.bin"
chain=$(printf 'n/%.0s' $(seq 300))
mkdir -p "$work/deep/$chain" && echo bottom > "$work/deep/${chain}f"

one_core=
if command -v taskset > /dev/null 2>&1; then
  one_core="taskset -c $(taskset -pc $$ | sed 's/.*: //; s/[-,].*//')"
fi

# run VARIANT SHAPE LIMIT [BINDING...]: one run of the tree SHAPE, in a
# directory of its own, under the limit; "«SHAPE»" in the code page selects
# the tree.
run() {
  dir="$work/runs/$1-$3"
  tree=$(printf '\256%s\257' "$work/$2")
  limit=$3
  shift 3
  mkdir -p "$dir"
  # shellcheck disable=SC3045 # dash and bash have ulimit -v
  if (cd "$dir" && ulimit -v "$limit" &&
    exec "$@" "$program" 0 log.txt "$tree" 3 1 secret 0 < /dev/null > out.txt 2> err.txt); then
    echo 0 > "$dir/status"
  else
    echo $? > "$dir/status"
  fi
}

# Starts the runs of a variant at every limit; all runs go at the same time
# (each stands four seconds at its intro screen).
sweep() {
  variant=$1
  shape=$2
  shift 2
  limit=$lowest
  while [ "$limit" -le "$highest" ]; do
    run "$variant" "$shape" "$limit" "$@" &
    limit=$((limit + step))
  done
}

sweep cores flat
if [ -n "$one_core" ]; then
  # shellcheck disable=SC2086
  sweep one-core flat $one_core
fi
sweep deep deep
wait

failures=0
for variant in cores one-core deep; do
  [ -d "$work/runs/$variant-$highest" ] || continue
  summary=
  limit=$lowest
  while [ "$limit" -le "$highest" ]; do
    dir="$work/runs/$variant-$limit"
    status=$(cat "$dir/status")
    # The dynamic loader gave up before the program ran (its message depends
    # on where in the loading the limit was met).
    if [ "$status" -eq 127 ] &&
      grep -qE 'error while loading shared libraries|cannot allocate TLS data structures' "$dir/err.txt"; then
      outcome=not-loaded
    elif [ "$status" -ge 128 ] || [ -s "$dir/err.txt" ] || [ "$(tail -n 1 "$dir/out.txt")" != "$closing" ]; then
      outcome=FAILED
      failures=$((failures + 1))
      echo "$variant at $limit KiB: status $status, last lines:" >&2
      tail -n 3 "$dir/out.txt" "$dir/err.txt" >&2
    elif grep -q 'There is not enough memory for the program!' "$dir/out.txt"; then
      outcome=no-memory
    elif grep -q 'cannot be entered!' "$dir/out.txt"; then
      outcome=not-entered
    elif [ "$status" -eq 0 ] &&
      { grep -q ' 2 dataset(s) in ' "$dir/out.txt" || grep -q ' 1 dataset(s) in    301 directories' "$dir/out.txt"; }; then
      outcome=complete
    else
      outcome=other
    fi
    case "$summary" in
      *" $outcome") ;;
      *) summary="$summary, from $limit KiB $outcome" ;;
    esac
    limit=$((limit + step))
  done
  echo "$variant:${summary#,}"
  case "$summary" in
    *" complete") ;;
    *) echo "$variant does not complete at $highest KiB" >&2; failures=$((failures + 1)) ;;
  esac
done
[ "$failures" -eq 0 ]
