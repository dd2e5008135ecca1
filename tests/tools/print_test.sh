#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tallyfold-engine's puzzle codes, puzzle files, pictures and booklets as a user meets
# them: the booklet read back by poppler's own reader (page count, every code on its
# page, the solutions after the puzzles), pictures at print size, and hostile input
# refused with a message and no file left behind.
#
#   print_test.sh ENGINE
set -u
engine=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# ---- codes and puzzle files ------------------------------------------------------
code=$("$engine" code 9 9 2 77)
"$engine" generate 9 9 2 --seed 77 --format text | tail -n +4 | sed '/^$/d' >made.txt
"$engine" open "$code" --format text | tail -n +4 | sed '/^$/d' >opened.txt
cmp -s made.txt opened.txt || fail "open $code differs from generate --seed 77: $(diff made.txt opened.txt)"
# The lower-case code with blanks for dashes opens the same puzzle.
"$engine" open $(echo "$code" | tr 'A-Z-' 'a-z ') --format text | tail -n +4 | sed '/^$/d' >lower.txt
cmp -s made.txt lower.txt || fail "the lower-case code opens another puzzle"
# What generate and open print as text is a puzzle file as it stands: the lines
# about the puzzle are comments.
"$engine" generate 9 9 2 --seed 77 --code --format text >whole.txt
"$engine" open "$code" --format text >whole-opened.txt
for f in whole.txt whole-opened.txt; do
  [ "$("$engine" check "$f" 2>&1)" = ok ] || fail "check of the whole $f: $("$engine" check "$f" 2>&1)"
done
grep -q "^; code $code\$" whole.txt || fail "the code line is not a comment: $(head -5 whole.txt)"
# The file without its digits is checked, coded and solved back to the same digits.
sed -E 's/(^| )[1-9]( |$)/\1.\2/g; s/(^| )[1-9]( |$)/\1.\2/g' made.txt >blank.txt
grep -q '[ ^][1-9] ' blank.txt && fail "the test's blanking left digits: $(cat blank.txt)"
[ "$("$engine" check blank.txt)" = ok ] || fail "check blank.txt: $("$engine" check blank.txt)"
clues=$("$engine" code blank.txt)
"$engine" open "$clues" --format text | tail -n +4 | sed '/^$/d' >reopened.txt
cmp -s made.txt reopened.txt || fail "the clue code $clues opens another solution"
"$engine" solve blank.txt | tail -n +2 >solved.txt
cmp -s made.txt solved.txt || fail "solve of the file: $(diff made.txt solved.txt)"
"$engine" generate 9 9 2 --seed 77 --format description | tail -n +4 >made.desc
[ "$("$engine" code made.desc)" = "$clues" ] || fail "the description's code is not the file's"
# A mistyped code and a file that is no puzzle: one clear line, status 2.
typo=${code:0:10}${code:11:1}${code:10:1}${code:12}
[ "$typo" != "$code" ] || fail "the test's typo $typo is the code itself"
"$engine" open "$typo" >out 2>err
[ $? = 2 ] && grep -q "does not check out" err || fail "open $typo: $(cat err)"
head -c 4096 /dev/urandom >binary
"$engine" check binary >out 2>err
[ $? = 2 ] && [ "$(wc -l <err)" = 1 ] || fail "check of binary data: $(cat err)"
"$engine" solve --format text . >out 2>err
[ $? = 2 ] && grep -q "is a folder" err || fail "solve of a folder: $(cat err)"
head -c 2000000 /dev/zero | tr '\0' '#' >huge.txt
"$engine" check huge.txt >out 2>err
[ $? = 2 ] && grep -q "larger than 1 MiB" err || fail "check of a huge file: $(cat err)"

# ---- pictures ----------------------------------------------------------------------
"$engine" picture -o board.png 1668-0000-029M || fail "picture -o board.png"
# 6 x 6 cells of 1 cm, 5 mm margins and 7 mm for the code, at 300 dpi.
file board.png | grep -q "827 x 910" || fail "board.png: $(file board.png)"
identify -format '%x %U' board.png | grep -q "^118.1[01][0-9]* PixelsPerCentimeter" ||
  fail "board.png does not say 300 dpi: $(identify -format '%x %U' board.png)"
"$engine" picture --solution -o board.svg 1668-0000-029M || fail "picture -o board.svg"
grep -q 'width="198.425197pt" height="218.267717pt"' board.svg || fail "board.svg: $(head -c 300 board.svg)"
"$engine" picture --puzzle blank.txt -o file.png || fail "picture --puzzle blank.txt"
"$engine" picture -o board.gif 1668-0000-029M >out 2>err
[ $? = 1 ] && grep -q "must end in .png or .svg" err || fail "picture -o board.gif: $(cat err)"
"$engine" picture -o missing/board.png 1668-0000-029M >out 2>err
[ $? = 1 ] && grep -q "cannot write missing/board.png" err || fail "picture into a missing folder: $(cat err)"

# ---- booklets ----------------------------------------------------------------------
"$engine" book --size 6 --level 1 --count 5 --seed 3 -o book.pdf || fail "book"
pdfinfo book.pdf >info || fail "pdfinfo book.pdf"
grep -Eq "^Pages: +4$" info || fail "5 puzzles two a page and a page of solutions: $(grep Pages info)"
grep -q "A4" info || fail "A4 by default: $(grep 'Page size' info)"
for k in 1 2 3 4 5; do
  c=$("$engine" code 6 6 1 $((2 + k)))
  page=$(((k + 1) / 2))
  pdftotext -f $page -l $page book.pdf - | grep -q "Code $c" || fail "code $c of puzzle $k not on page $page"
  pdftotext -f 4 -l 4 book.pdf - | grep -q "Code $c" || fail "code $c not with the solutions"
done
pdftotext -f 1 -l 3 book.pdf - | grep -q Solution && fail "a solution among the puzzles"
pdftotext -f 4 -l 4 book.pdf - | grep -q "Solution 5" || fail "no solution 5 on the last page"
"$engine" book --size 7 --level 2 --count 9 --seed 1 --paper letter --per-page 4 -o four.pdf || fail "book --per-page 4"
pdfinfo four.pdf | grep -Eq "^Pages: +5$" || fail "9 puzzles four a page, 2 pages of solutions: $(pdfinfo four.pdf | grep Pages)"
pdfinfo four.pdf | grep -q "letter" || fail "letter paper: $(pdfinfo four.pdf | grep 'Page size')"
mkdir folder.pdf
"$engine" book --size 6 --level 1 --count 1 --seed 3 -o folder.pdf >out 2>err
[ $? = 1 ] && grep -q "folder.pdf is a folder" err || fail "book into a folder: $(cat err)"
for args in "--size 8 --level 1 --count 1 --seed 1 -o x.pdf" "--size 6 --level 1 --count 0 --seed 1 -o x.pdf" \
  "--size 6 --level 1 --count 1 --seed 1 --paper a3 -o x.pdf" "--size 6 --level 1 --count 1 --seed 1" \
  "--size 6 --level 1 --count 1 --seed 1 --per-page 3 -o x.pdf"; do
  # shellcheck disable=SC2086
  "$engine" book $args >out 2>err
  [ $? = 2 ] && [ "$(wc -l <err)" = 2 ] || fail "book $args: $(cat err)"
done
leftovers=$(ls | grep -E '\.part|^x\.pdf$|^board\.gif$|^missing')
[ -z "$leftovers" ] || fail "files left behind: $leftovers"

[ "$failures" -eq 0 ] && echo "codes, files, pictures and booklets work" || exit 1
