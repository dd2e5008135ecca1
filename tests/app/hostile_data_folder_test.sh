#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on data folders that work against it:
#  1. the disk fills up while a puzzle is played: a display toggle, leaving the
#     board and closing must not end the game early, damage a file or keep
#     quiet about the puzzle that could not be kept;
#  2. something that cannot be a lock stands under tallyfold.lock: the game
#     does not start, names it, and touches nothing;
#  3. the data folder is read-only: the game plays, says that nothing is
#     saved, and writes nothing.
# Mounting needs root (CI runs as root); the parts that mount are skipped with
# a reason where that fails. The program is driven through its input script.
set -u
exe=$1
artifacts=$2
scratch=$(mktemp -d)
pid=""
mounts=()
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  for m in "${mounts[@]}"; do umount -l "$m" 2>/dev/null; done
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$artifacts"
export XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"

fail() { echo "FAIL: $*"; [ -f "$scratch/err.txt" ] && grep -v "^ALSA\|^AL lib" "$scratch/err.txt" | sed 's/^/  err: /' | tail -20; exit 1; }
# Waits up to 120 s for a file the running program writes.
await() {
  for _ in $(seq 1 1200); do
    [ -f "$1" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program ended while waiting for $1"
    sleep 0.1
  done
  fail "no $1 after 120 s"
}
# start DATA-HOME: the program in the background, reading its script from a FIFO
# that send writes to.
start() {
  export XDG_DATA_HOME=$1
  rm -f "$scratch/script"
  mkfifo "$scratch/script"
  TALLYFOLD_INPUT_SCRIPT=$scratch/script "$exe" 2>"$scratch/err.txt" &
  pid=$!
  exec 3<>"$scratch/script"
}
send() { printf '%s\n' "$@" >&3; }
# shot NAME: a picture of the next frame, kept in the artifacts; waits for it.
shot() {
  send "shot $artifacts/hostile-$1.png"
  await "$artifacts/hostile-$1.png"
}
# finish CODE: the program ends by itself with that exit code.
finish() {
  for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end"
  wait "$pid"
  local code=$?
  pid=""
  exec 3>&-
  [ "$code" -eq "$1" ] || fail "exit code $code, expected $1"
}
# The state of a folder: every entry with its size and checksum.
snapshot() { (cd "$1" && find . -print0 | sort -z | xargs -0 -I{} sh -c 'if [ -f "{}" ]; then md5sum "{}"; else echo "dir {}"; fi'); }
rm -f "$artifacts"/hostile-*.png

# Clicks that get past the splash and onto the title whatever the timing.
past_splash=('wait 700' 'click 790 10' 'wait 500' 'click 790 10' 'wait 1400')
# From the title: a 6x6 puzzle, and one digit written with the keyboard.
new_puzzle=('click 400 209' 'wait 1400' 'click 220 252' 'click 167 521' 'wait 5000' 'key RIGHT' 'key 1' 'wait 300')

# ---- 2. the lock (no mount needed)
home=$scratch/lock
shared="$home/Vellacor Games/Tallyfold"
for kind in folder link; do
  rm -rf "$home" && mkdir -p "$shared"
  if [ "$kind" = folder ]; then mkdir "$shared/tallyfold.lock"; why="it is a folder"
  else ln -s /dev/null "$shared/tallyfold.lock"; why="it is a symbolic link"; fi
  before=$(snapshot "$home")
  start "$home"
  finish 1
  grep -qF "its lock file $shared/tallyfold.lock cannot be used ($why)" "$scratch/err.txt" ||
    fail "a lock that is a $kind was not named"
  [ "$(snapshot "$home")" = "$before" ] || fail "the start with a $kind as lock wrote into the folder"
done
echo "ok   a folder or a link as the lock stops the start and names it"

if ! { mkdir -p "$scratch/disk" && mount -t tmpfs -o size=512k tmpfs "$scratch/disk" 2>/dev/null; }; then
  echo "skipped the full and read-only disks: cannot mount a small file system here"
  exit 0
fi
mounts+=("$scratch/disk")

# ---- 1. the disk fills up during play
home=$scratch/disk/home
shared="$home/Vellacor Games/Tallyfold"
mkdir -p "$home"
start "$home"
send "${past_splash[@]}" "${new_puzzle[@]}"
shot 1-board
kept=$(cd "$shared" && md5sum tallyfold.ini config.ini hs*.dat)
dd if=/dev/zero of="$scratch/disk/filler" bs=4k 2>/dev/null
# Full screen and back: each rewrites the settings, which no longer fit.
send 'key F11' 'wait 500'
shot 2-settings-not-saved
send 'key SPACE' 'wait 300' 'key F11' 'wait 500'
shot 3-toggled-twice
# Back to the menu: the autosave does not fit either, and the player is told.
send 'key ESCAPE' 'wait 600' 'click 305 351' 'wait 1400'
shot 4-puzzle-not-kept
send 'key SPACE' 'wait 1400' 'click 632 521' 'wait 1400'
shot 5-title-with-continue
# Continue still brings the puzzle back, from memory.
send 'click 400 207' 'wait 3000'
shot 6-continued
send 'close'
finish 0
grep -q "Your puzzle in progress could not be kept, so it is lost: .*autosave.sav: the disk is full" "$scratch/err.txt" ||
  fail "closing with the puzzle unwritten was not told"
[ "$(cd "$shared" && md5sum tallyfold.ini config.ini hs*.dat)" = "$kept" ] || fail "a file was changed on the full disk"
leftover=$(find "$shared" -name '.*.??????')
[ -z "$leftover" ] || fail "half-written files were left: $leftover"
echo "ok   a full disk during play: the game went on to a normal end, files whole, the lost puzzle told"

# ---- 3. a read-only data folder
rm -f "$scratch/disk/filler"
mount -o remount,ro "$scratch/disk" || fail "cannot make the small file system read-only"
before=$(snapshot "$home")
start "$home"
send "${past_splash[@]}"
shot 7-title-read-only
send "${new_puzzle[@]}" 'key ESCAPE' 'wait 600' 'click 305 351' 'wait 1400' 'click 632 521' 'wait 1400'
shot 8-title-read-only-after-play
send 'close'
finish 0
grep -qF "Tallyfold cannot save anything this time, since its data folder $shared/ cannot be written: the disk is read-only." "$scratch/err.txt" ||
  fail "the read-only folder was not told at start"
[ "$(snapshot "$home")" = "$before" ] || fail "something changed in the read-only folder"
echo "ok   a read-only data folder: the game played, said so, and wrote nothing"
