#!/bin/sh
# Datasets encoded by the program on one system decode with the program on the
# other: the native program and the Windows program (run by the emulator
# command, wine) each encode a set of datasets one by one (form 1) and a tree
# one by one (form 1) and as one unit (form 3), and the other program decodes
# them (forms 2 and 4); every byte must come back, and the logs of both
# programs must name the same datasets in the same order (for form 3 that
# order is what makes the unit decode at all).
#
# The tree holds what users' disks hold: names with characters no old code
# page has (en dash, euro sign, CJK, emoji, Greek), accented letters, names
# that differ in case and in "_", a read-only directory, a path of more than
# 300 characters, and a link to a directory, which neither program walks.
#
#   round_trip.sh NATIVE_PROGRAM WINDOWS_PROGRAM EMULATOR...
set -eu
native=$1
windows=$2
shift 2
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
# wine names files in the locale's character set: UTF-8 here, so that every
# name of the tree reaches the Windows program as it is; the native program
# speaks UTF-8 in this locale too, so both logs are UTF-8.
export LC_ALL=C.UTF-8
key='Cross-System Key 1'

random_file() {
  head -c "$2" /dev/urandom >"$1"
}

make_originals() {
  mkdir -p "$1/set" "$1/tree/a/a1" "$1/tree/b" "$1/tree/Ελληνικά" "$1/tree/ro"
  for length in 0 1 511 512 513 1023 1025 70000; do
    random_file "$1/set/d$length.bin" "$length"
  done
  for file in top.txt _x a/in-a a/a1/in-a1 b/in-b 'Bewerbung – Lebenslauf.txt' 'Preis 5€.txt' \
      中文.txt emoji😀.txt Ελληνικά/κείμενο.txt ä.txt é.txt A.txt b.txt ro/in-ro; do
    random_file "$1/tree/$file" 3000
  done
  deep="$1/tree"
  for part in 1 2 3 4 5 6 7; do
    deep="$deep/$(printf "level-$part-%040d" 0)"
  done
  mkdir -p "$deep"
  random_file "$deep/far.txt" 3000
  ln -s .. "$1/tree/b/loop"
}

# run SYSTEM FORM SELECTION LOG: one run of one program in $work/data on
# SELECTION, "[directory]" or "«directory»" (with its subdirectories).
run() {
  if [ "$1" = native ]; then
    (cd "$work/data" && "$native" 0 "../$4" "$3" "$2" 1 "$key" 0 </dev/null >"../$4.out")
  else
    (cd "$work/data" && $emulator "$windows" 0 "..\\$4" "$3" "$2" 1 "$key" 0 </dev/null >"../$4.out")
  fi
}

# The datasets a log names as processed, in order, as paths below the data
# directory with "/" as separator (each log names its own absolute paths).
processed_names() {
  sed -e 's/^\xEF\xBB\xBF//' -e 's/\r$//' "$1" | LC_ALL=C awk '
    /^ --- Subdirectory: / {
      directory = substr($0, 20, length($0) - 24)
      gsub(/\\/, "/", directory)
      sub(/^.*\/data\//, "", directory)
    }
    /^The dataset ».*« has been (en|de)coded\.$/ {
      name = substr($0, index($0, "»") + 2)
      print directory "/" substr(name, 1, index(name, "«") - 1)
    }'
}

# round_trip ENCODER DECODER FORM: the set in form 1 and the tree in FORM (1
# or 3), decoded in FORM + 1.
round_trip() {
  chmod -R u+w "$work/data" 2>/dev/null || true
  rm -rf "$work/data"
  cp -a "$work/originals" "$work/data"
  chmod a-w "$work/data/tree/ro"
  run "$1" 1 '[set]' "$1-set-encoded.log" &
  run "$1" "$3" '«tree»' "$1-tree-encoded.log" &
  wait
  if cmp -s "$work/originals/set/d70000.bin" "$work/data/set/d70000.bin"; then
    echo "$1 did not encode" >&2
    exit 1
  fi
  run "$2" 2 '[set]' "$2-set-decoded.log" &
  run "$2" $(($3 + 1)) '«tree»' "$2-tree-decoded.log" &
  wait
  (cd "$work/originals" && find . -type f) | while read -r file; do
    if ! cmp -s "$work/originals/$file" "$work/data/$file"; then
      echo "$file: encoded by the $1 program in form $3, decoded by the $2 program: not the original" >&2
      exit 1
    fi
  done
  processed_names "$work/$1-tree-encoded.log" >"$work/encoded.names"
  processed_names "$work/$2-tree-decoded.log" >"$work/decoded.names"
  expected=$(cd "$work/originals/tree" && find . -type f | wc -l)
  if [ "$(wc -l <"$work/encoded.names")" -ne "$expected" ] ||
      ! cmp -s "$work/encoded.names" "$work/decoded.names"; then
    echo "form $3: the logs do not name the $expected datasets of the tree in the same order" >&2
    diff "$work/encoded.names" "$work/decoded.names" >&2 || true
    exit 1
  fi
}

emulator="$*"
make_originals "$work/originals"
for form in 1 3; do
  round_trip native windows "$form"
  round_trip windows native "$form"
done
echo "datasets and a tree encoded on each system, in forms 1 and 3, decode on the other"
