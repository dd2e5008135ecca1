#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Time to write a 100-puzzle 14x14 booklet, puzzles and PDF, for each level: the
# wall-clock time a user waits and the processor time spent (the booklet makes its
# puzzles on every core, so on a loaded machine the first grows and the second stays).
#
#   bench/engine/book_bench.sh ENGINE [COUNT] [SIZE]
set -eu
engine=$(realpath "$1")
count=${2:-100}
size=${3:-14}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
TIMEFORMAT='%R %U %S'
printf '%-8s %8s %8s %8s %6s\n' level puzzles "wall s" "cpu s" pages
for level in 1 2 3; do
  times=$({ time "$engine" book --size "$size" --level "$level" --count "$count" --seed 1 \
    -o "$scratch/book.pdf" >/dev/null; } 2>&1)
  read -r wall user system <<<"$times"
  pages=$(pdfinfo "$scratch/book.pdf" | awk '/^Pages:/ {print $2}')
  printf '%-8s %8s %8s %8.2f %6s\n' "$level" "$count" "$wall" "$(echo "$user + $system" | bc)" "$pages"
done
