#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Peak memory of the real program (the kernel's resident high-water mark,
# VmHWM) on the title and on a 14x14 board with the music playing, as a new
# player meets them: default settings, so full screen.
#
#   bench/memory/memory_bench.sh PROGRAM [--x11 [WxH]]
#
# With DETAIL=1 the mappings that hold the most of the board's memory follow
# (anonymous memory is the heap and the drivers' allocations; the rest are
# libraries and files).#
# The pictures of the title and the board are left in $SHOTS when it is set.
# Without --x11 the game runs on SDL's offscreen driver (software renderer,
# a 1024x768 desktop); with it, on Xvfb (default WxH 1920x1080) with SDL's
# default renderer. Sound goes to OpenAL's null device, which mixes as a
# sound card would.
set -u
exe=$(realpath "$1")
mode=offscreen
screen=1920x1080
if [ "${2:-}" = "--x11" ]; then
  mode=x11
  screen=${3:-$screen}
fi
scratch=$(mktemp -d)
xvfb_pid=""
pid=""
cleanup() {
  # Ended in order, so a profiler given in WRAP writes its record.
  if [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null; then
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

if [ "$mode" = x11 ]; then
  command -v Xvfb >/dev/null || { echo "Xvfb is missing (bash scripts/setup.sh installs it)"; exit 1; }
  exec 8>"$scratch/display"
  Xvfb -displayfd 8 -screen 0 "${screen}x24" -nolisten tcp >"$scratch/xvfb.txt" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$scratch/display")" SDL_VIDEODRIVER=x11
else
  export SDL_VIDEODRIVER=offscreen
fi
export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
export ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy TALLYFOLD_NONINTERACTIVE=1
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
fifo=$scratch/script
mkfifo "$fifo"
TALLYFOLD_INPUT_SCRIPT=$fifo ${WRAP:-} "$exe" >"$scratch/game.txt" 2>&1 &
pid=$!
exec 9<>"$fifo"
# Under a WRAP (heaptrack, valgrind) the game is a descendant of the process started.
find_game() {
  local c
  [ "$(cat "/proc/$1/comm" 2>/dev/null)" = tallyfold ] && { echo "$1"; return; }
  for c in $(pgrep -P "$1"); do find_game "$c"; done
}
if [ -n "${WRAP:-}" ]; then
  for _ in $(seq 1 100); do
    game=$(find_game "$pid" | head -1)
    [ -n "$game" ] && { pid=$game; break; }
    sleep 0.1
  done
fi
send() { printf '%s\n' "$@" >&9; }
# Everything sent before has been carried out once the next frame's picture is there.
sync_frame() {
  local file=$scratch/shot-$1.png
  send "shot $file"
  for _ in $(seq 1 1200); do
    if [ -f "$file" ]; then
      [ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && cp "$file" "$SHOTS/memory-$mode-$1.png"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "the game did not answer ($1); its output:"
  cat "$scratch/game.txt"
  exit 1
}
kb() { awk -v k="$1:" '$1 == k { print $2 }' "/proc/$pid/status"; }
report() { printf '| %-10s | %-24s | %6d MB | %6d MB |\n' "$mode" "$1" $(( $(kb VmHWM) / 1024 )) $(( $(kb VmRSS) / 1024 )); }

# Past the maker's splash to the title, the pointer in a corner; the music plays.
send "wait 700" "click 790 10" "wait 500" "click 790 10" "wait 1400"
sync_frame title
send "wait 5000"
sync_frame title-settled
printf '| %-10s | %-24s | %9s | %9s |\n' renderer state VmHWM VmRSS
printf '|%s|%s|%s|%s|\n' ------------ -------------------------- ----------- -----------
report "title"
# Play, 14x14, play; the board once its cells have dropped in.
send "click 400 220" "wait 1400" "click 220 446" "click 167 521" "wait 300" "move 790 10" "wait 6000"
sync_frame board
report "14x14 board"
if [ -n "${DETAIL:-}" ]; then
  echo
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "" ? "[anonymous]" : $6) }
       $1 == "Rss:" { rss[name] += $2 }
       END { for (n in rss) printf "%8d kB  %s\n", rss[n], n }' "/proc/$pid/smaps" | sort -rn | head -15
fi
