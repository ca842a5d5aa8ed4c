#!/bin/sh
# Datasets encoded by the program on one system decode with the program on the
# other: the native program and the Windows program (run by the emulator
# command, wine) each encode a set of datasets one by one (form 1) and a tree
# as one unit (form 3), and the other program decodes them (forms 2 and 4);
# every byte must come back. The tree holds a link to a directory, which
# neither program walks.
#
#   round_trip.sh NATIVE_PROGRAM WINDOWS_PROGRAM EMULATOR...
set -eu
native=$1
windows=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wine reads the parameters in the locale's character set; « and » are UTF-8
# here and reach the Windows program as the console's code-page bytes.
export LC_ALL=C.UTF-8
key='Cross-System Key 1'

make_originals() {
  mkdir -p "$1/set" "$1/tree/a/a1" "$1/tree/b"
  for length in 0 1 511 512 513 1023 1025 70000; do
    head -c "$length" /dev/urandom >"$1/set/d$length.bin"
  done
  for file in top.txt B.txt _x a/in-a a/a1/in-a1 b/in-b; do
    head -c 3000 /dev/urandom >"$1/tree/$file"
  done
  ln -s .. "$1/tree/b/loop"
}

# run SYSTEM FORM DIRECTORY LOG: one run of one program in $work/data on
# DIRECTORY, as [directory] for forms 1 and 2 and as «directory» (with its
# subdirectories) for forms 3 and 4.
run() {
  if [ "$1" = native ]; then
    selection="[$3]"
    [ "$2" -lt 3 ] || selection=$(printf '\256%s\257' "$3")
    (cd "$work/data" && "$native" 0 "../$4" "$selection" "$2" 1 "$key" 0 </dev/null >"../$4.out")
  else
    selection="[$3]"
    [ "$2" -lt 3 ] || selection="«$3»"
    (cd "$work/data" && $emulator "$windows" 0 "..\\$4" "$selection" "$2" 1 "$key" 0 \
      </dev/null >"../$4.out")
  fi
}

# round_trip ENCODER DECODER
round_trip() {
  rm -rf "$work/data"
  cp -a "$work/originals" "$work/data"
  run "$1" 1 set "$1-set-encoded.log" &
  run "$1" 3 tree "$1-tree-encoded.log" &
  wait
  if cmp -s "$work/originals/set/d70000.bin" "$work/data/set/d70000.bin"; then
    echo "$1 did not encode" >&2
    exit 1
  fi
  run "$2" 2 set "$2-set-decoded.log" &
  run "$2" 4 tree "$2-tree-decoded.log" &
  wait
  (cd "$work/originals" && find . -type f) | while read -r file; do
    if ! cmp -s "$work/originals/$file" "$work/data/$file"; then
      echo "$file: encoded by the $1 program, decoded by the $2 program: not the original" >&2
      exit 1
    fi
  done
  for log in "$1-tree-encoded.log" "$2-tree-decoded.log"; do
    if ! grep -q ' 6 dataset(s) in      4 directories processed' "$work/$log"; then
      echo "$log: not the 6 datasets in 4 directories of the tree" >&2
      cat "$work/$log" >&2
      exit 1
    fi
  done
}

emulator="$*"
make_originals "$work/originals"
round_trip native windows
round_trip windows native
echo "datasets and a tree encoded on each system decode on the other"
