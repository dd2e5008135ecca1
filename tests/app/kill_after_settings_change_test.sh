#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A player changes the settings and the program is killed (SIGKILL: no shut-down
# at all). The next start must put the default settings back, say so, and leave
# the best times and the save games exactly as they were.
# The program is driven through its input script (TALLYFOLD_INPUT_SCRIPT).
set -u
exe=$1
scratch=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$scratch"' EXIT
export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"
defaults=$(dirname "$exe")/data/default.ini

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
# start SCRIPT-TEXT: starts the program in the background with that input script.
start() {
  printf '%s\n' "$1" >"$scratch/script"
  TALLYFOLD_INPUT_SCRIPT=$scratch/script "$exe" 2>"$scratch/err.txt" &
  pid=$!
}
finish() {
  for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end after its close request"
  wait "$pid"
  local code=$?
  pid=""
  [ "$code" -eq 0 ] || fail "exit code $code"
}
value() { tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -1; }

# Clicks that get past the splash and onto the title whatever the timing.
past_splash='wait 700
click 790 10
wait 500
click 790 10
wait 1400'

# 1. A normal session: a 6x6 puzzle saved under a name, then the close box.
start "$past_splash
click 400 209
wait 1400
click 220 252
click 560 300
click 167 521
wait 5000
click 114 148
wait 800
type kept
key RETURN
wait 1500
shot $scratch/saved.png
close"
await "$scratch/saved.png"
finish
save=$(find "$shared" -iname 'kept.dat' | head -1)
[ -n "$save" ] || fail "the save game was not written"
ls "$shared"/hs*.dat >/dev/null 2>&1 || fail "no best-times files after a normal session"
(cd "$shared" && md5sum hs*.dat "${save#"$shared"/}") >"$scratch/before.md5"

# 2. The music volume is changed on the options screen and kept with OK; then
#    the program is killed while it runs.
start "$past_splash
click 400 397
wait 1400
move 490 93
down 1
move 450 93
move 420 93
move 405 93
up 1
wait 300
click 400 558
wait 1400
shot $scratch/changed.png"
await "$scratch/changed.png"
changed_volume=$(value "$shared/tallyfold.ini" "MUSIC VOLUME")
default_volume=$(value "$defaults" "MUSIC VOLUME")
[ -n "$default_volume" ] || fail "no MUSIC VOLUME in $defaults"
[ -n "$changed_volume" ] && [ "$changed_volume" != "$default_volume" ] ||
  fail "the music volume was not saved as changed ($changed_volume, default $default_volume)"
[ -f "$shared/inichanged.dat" ] || fail "no changed-settings marker after the change"
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=""
[ -f "$shared/goodexit.dat" ] && fail "a killed program left a clean-exit marker"

# 3. The next start restores the defaults and tells the player.
start "wait 1500
shot $scratch/restarted.png
close"
await "$scratch/restarted.png"
finish
grep -q "Default ini file restored!" "$scratch/err.txt" || fail "the player was not told the defaults came back"
restored_volume=$(value "$shared/tallyfold.ini" "MUSIC VOLUME")
[ "$restored_volume" = "$default_volume" ] || fail "music volume $restored_volume after the restore, expected $default_volume"
(cd "$shared" && md5sum -c --quiet "$scratch/before.md5") || fail "a best-times file or the save game changed"
[ -f "$shared/ErrorLog.txt" ] && fail "an error was logged: $(cat "$shared/ErrorLog.txt")"
echo "settings restored after a kill; best times and save game untouched"
