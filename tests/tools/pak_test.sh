#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives tallyfold-pak as the build and other checks use it.
set -u
PAK="$1"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }

mkdir -p src/Images src/fonts/deep
printf 'Hello' > src/README.txt
head -c 70000 /dev/urandom > src/Images/Title.PNG
printf 'x%.0s' $(seq 1 3000) > src/fonts/deep/calibri.ttf
: > src/empty.dat
printf 'ogg' > src/Music.OGG

# Version 1.1 by default; names relative to -C, folders expanded in name order.
"$PAK" create out.pak -C src README.txt Images fonts empty.dat Music.OGG || fail "create 1.1"
expect_eq "$(head -c 8 out.pak | od -An -tx1 | tr -d ' \n')" "215041""4b01000100" "1.1 header"
expected="README.txt 1 5
Images/Title.PNG 2 70000
fonts/deep/calibri.ttf 3 3000
empty.dat 0 0
Music.OGG 4 3"
expect_eq "$("$PAK" list out.pak)" "$expected" "list 1.1"

"$PAK" create out1.pak --version 1 -C src README.txt Images fonts empty.dat Music.OGG || fail "create 1"
expect_eq "$(head -c 8 out1.pak | od -An -tx1 | tr -d ' \n')" "215041""4b01000000" "1 header"
expect_eq "$("$PAK" list out1.pak)" "$expected" "list 1"

# Items come back byte for byte, asked for in any letter case.
"$PAK" extract out.pak images/title.png > title.out || fail "extract"
cmp -s title.out src/Images/Title.PNG || fail "extracted bytes differ (1.1)"
"$PAK" extract out1.pak IMAGES/TITLE.PNG > title1.out || fail "extract 1"
cmp -s title1.out src/Images/Title.PNG || fail "extracted bytes differ (1)"
expect_eq "$("$PAK" extract out.pak readme.TXT)" "Hello" "extract text"
"$PAK" extract out.pak empty.dat > empty.out || fail "extract empty"
[ -s empty.out ] && fail "empty item is not empty"

# The same tree always packs to the same bytes.
(cd src && "$PAK" create ../again.pak README.txt Images fonts empty.dat Music.OGG) || fail "create from cwd"
cmp -s out.pak again.pak || fail "packing is not reproducible"

# Failures: message on standard error, exit 1, nothing on standard output.
"$PAK" extract out.pak nothing.txt > missing.out 2> missing.err
expect_eq "$?" "1" "missing name exit"
[ -s missing.out ] && fail "missing name wrote output"
grep -q "nothing.txt" missing.err || fail "missing name message: $(cat missing.err)"

printf 'not an archive at all' > bad.pak
"$PAK" list bad.pak > bad.out 2> bad.err
expect_eq "$?" "1" "invalid archive exit"
expect_eq "$(cat bad.err)" "tallyfold-pak: bad.pak is not a data archive (it does not begin with \"!PAK\")" "invalid archive message"

# A huge sparse file is refused from its first bytes, not read through.
truncate -s 1G huge.pak 2>/dev/null && {
  "$PAK" list huge.pak > /dev/null 2> huge.err
  expect_eq "$?" "1" "huge archive exit"
  expect_eq "$(cat huge.err)" "tallyfold-pak: huge.pak is not a data archive (it does not begin with \"!PAK\")" "huge archive message"
  rm -f huge.pak
}

head -c 100 out.pak > cut.pak
"$PAK" list cut.pak > /dev/null 2> cut.err
expect_eq "$?" "1" "damaged archive exit"
grep -q "Damaged pak file cut.pak" cut.err || fail "damaged archive message: $(cat cut.err)"

"$PAK" list absent.pak 2> absent.err
expect_eq "$?" "1" "absent archive exit"

long=$(printf 'n%.0s' $(seq 1 60)).txt
printf 'x' > "src/$long"
"$PAK" create long1.pak --version 1 -C src "$long" 2> long.err
expect_eq "$?" "1" "name too long for version 1"
"$PAK" create long11.pak -C src "$long" || fail "a 64-byte name fits version 1.1"

mkdir -p twin
printf 'a' > twin/Same.txt
printf 'b' > twin/same.TXT
"$PAK" create twin.pak -C twin Same.txt same.TXT 2> twin.err
expect_eq "$?" "1" "names that differ only in case"
[ -e twin.pak ] && fail "a refused archive was written"

"$PAK" create outside.pak -C src ../twin/Same.txt 2> outside.err
expect_eq "$?" "1" "file outside the -C folder"
"$PAK" create nofile.pak -C src missing.txt 2> nofile.err
expect_eq "$?" "1" "missing input file"
"$PAK" create v.pak --version 2 -C src README.txt 2> v.err
expect_eq "$?" "1" "unknown version"

# A hostile archive: an item named with a terminal escape, a line feed and a
# parent folder. Listing it says why it is refused, and never sends the raw
# control characters to the terminal.
python3 - <<'PY'
import struct, zlib
name = b"../\x1b]2;owned\x07\nx.txt"
data = zlib.compress(b"x")
record = name.ljust(52, b"\0") + struct.pack("<iii", 0, len(data), 1) + data
open("hostile.pak", "wb").write(b"!PAK" + struct.pack("<ii", 1, 1) + record)
PY
"$PAK" list hostile.pak > hostile.out 2> hostile.err
expect_eq "$?" "1" "hostile names exit"
[ -s hostile.out ] && fail "hostile archive listed items"
LC_ALL=C grep -q "$(printf '[\001-\010\013-\037\177]')" hostile.err && fail "raw control characters printed: $(od -c hostile.err | head -3)"
grep -qF 'is not a plain relative name' hostile.err || fail "hostile name message: $(cat -v hostile.err)"
grep -qF '\x1b]2;owned\x07\x0ax.txt' hostile.err || fail "hostile name not shown escaped: $(cat -v hostile.err)"
[ "$(wc -l < hostile.err)" -eq 1 ] || fail "the message spans lines: $(cat -v hostile.err)"

if [ "$failures" -eq 0 ]; then echo "tallyfold-pak: all checks passed"; fi
exit $((failures > 0))
