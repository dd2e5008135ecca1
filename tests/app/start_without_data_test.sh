#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts copies of the real program whose data tree is missing or damaged in one
# way each. Every start must end by itself with the failure told, the error log
# written, the orderly shut-down done (clean-exit marker) and exit code 1; never
# a crash or a hang.
set -u
exe=$1
bin_dir=$(dirname "$exe")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# run CASE EXPECTED-TEXT...: the program copy in $scratch/CASE/game is started with
# private folders; its error log must hold every EXPECTED-TEXT.
run() {
  local name=$1
  shift
  local root=$scratch/$name
  local shared="$root/data-home/Vellacor Games/Tallyfold"
  mkdir -p "$root/data-home" "$root/run" "$root/home"
  chmod 700 "$root/run"
  XDG_DATA_HOME=$root/data-home XDG_RUNTIME_DIR=$root/run HOME=$root/home \
    timeout 60 "$root/game/tallyfold" >"$root/out.txt" 2>&1
  local code=$?
  local problem=""
  if [ "$code" -eq 124 ]; then problem="did not end within 60 s"
  elif [ "$code" -ne 1 ]; then problem="exit code $code, expected 1"
  elif [ ! -f "$shared/ErrorLog.txt" ]; then problem="no ErrorLog.txt"
  else
    local expected
    for expected in "$@"; do
      grep -qF -- "$expected" "$shared/ErrorLog.txt" || problem="error log lacks '$expected'"
    done
  fi
  if [ -n "$problem" ]; then :
  elif [ ! -f "$shared/goodexit.dat" ]; then problem="the shut-down did not write goodexit.dat"
  elif grep -qiE "sanitizer|segmentation|core dumped" "$root/out.txt"; then problem="crashed"
  fi
  if [ -n "$problem" ]; then
    echo "FAIL $name: $problem"
    sed 's/^/  out: /' "$root/out.txt" | head -20
    [ -f "$shared/ErrorLog.txt" ] && sed 's/^/  log: /' "$shared/ErrorLog.txt"
    failures=$((failures + 1))
  else
    echo "ok   $name: $(head -c 200 "$shared/ErrorLog.txt" | tr '\n' ' ')"
  fi
}

# game CASE: a copy of the program with the whole data tree.
game() {
  mkdir -p "$scratch/$1/game"
  cp "$exe" "$scratch/$1/game/tallyfold"
  cp -r "$bin_dir/data" "$scratch/$1/game/data"
}

mkdir -p "$scratch/no-data/game" && cp "$exe" "$scratch/no-data/game/tallyfold"
run no-data "data/sound/buttonclick.wav"

game no-archive
rm "$scratch/no-archive/game/data/resources/data.pak"
run no-archive "$(sed -n '/^Data Pak Error$/{n;p;q}' "$bin_dir/data/text/gametext.txt")"

game damaged-archive
# Keeps the header, loses the contents.
head -c 64 "$bin_dir/data/resources/data.pak" >"$scratch/damaged-archive/game/data/resources/data.pak"
run damaged-archive "Damaged pak file" "Please install Tallyfold again."

game garbage-archive
head -c 4096 /dev/urandom >"$scratch/garbage-archive/game/data/resources/data.pak"
run garbage-archive "TPakFile::Invalid pak file" "Please install Tallyfold again."

game empty-texts
: >"$scratch/empty-texts/game/data/text/gametext.txt"
run empty-texts "Error loading file" "/data/text/gametext.txt (it holds no texts)"

game missing-picture
rm "$scratch/missing-picture/game/data/graphics/cell.png"
run missing-picture "cell.png"

game missing-splash
rm "$scratch/missing-splash/game/data/graphics/splash.png"
run missing-splash "splash.png"

[ "$failures" -eq 0 ] && echo "every start without its data ended in order" || exit 1
