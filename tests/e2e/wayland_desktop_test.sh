#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program as a native Wayland client: weston (its X11 backend, inside
# Xvfb: the headless backend offers no seat, which SDL needs) as the
# compositor, SDL's wayland driver, no X display. The player switches from a
# window to full screen with F11, back with Alt+Enter, and again both ways;
# the game draws after every switch, is closed and ends with code 0, its
# settings and clean-exit marker in place. Pictures: ARTIFACTS/wayland-*.png.
#
#   wayland_desktop_test.sh PROGRAM ARTIFACTS
set -u
exe=$1
artifacts=$2
skip() { echo "SKIP: $*"; exit 77; }
for tool in Xvfb weston; do command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"; done
scratch=$(mktemp -d)
xvfb_pid="" weston_pid="" pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$artifacts"
rm -f "$artifacts"/wayland-*.png
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }

exec 8>"$scratch/display"
Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp >"$scratch/xvfb.txt" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || skip "Xvfb did not start: $(head -3 "$scratch/xvfb.txt")"
export XDG_RUNTIME_DIR=$scratch/run XDG_DATA_HOME=$scratch/data HOME=$scratch/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
socket=tallyfold-test-$$
DISPLAY=":$(head -1 "$scratch/display")" weston --backend=x11-backend.so --use-pixman --no-config --socket="$socket" \
  --width=1024 --height=768 >"$scratch/weston.txt" 2>&1 &
weston_pid=$!
for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || skip "weston did not start: $(tail -3 "$scratch/weston.txt")"

shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"
mkdir -p "$shared"
printf 'FULL SCREEN=0\r\n' >"$shared/tallyfold.ini"
setting() { tr -d '\r' <"$shared/tallyfold.ini" | grep "^$1=" | cut -d= -f2; }

fifo=$scratch/script
mkfifo "$fifo"
# Nothing of X: the game must be a Wayland client or nothing.
env -u DISPLAY SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY="$socket" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy \
  TALLYFOLD_NONINTERACTIVE=1 TALLYFOLD_INPUT_SCRIPT="$fifo" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  "$exe" >"$scratch/game.txt" 2>&1 &
pid=$!
exec 9<>"$fifo"
send() { printf '%s\n' "$@" >&9; }
# The game's picture of its next frame; false when none comes (the game died).
shot() {
  local file="$artifacts/wayland-$1.png"
  send "shot $file"
  for _ in $(seq 1 600); do
    [ -f "$file" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "no picture $1 from the game"
  return 1
}
# Past the splash to the title, as the other start tests do.
send "wait 700" "click 790 10" "wait 500" "click 790 10" "wait 1400"
shot title-window
expect_full() {
  [ "$(setting "FULL SCREEN")" = "$1" ] && ok "$2: FULL SCREEN=$1" || fail "$2: FULL SCREEN=$(setting "FULL SCREEN"), not $1"
}
send "key f11" "wait 800"
shot full-f11 && expect_full 1 "F11 from a window"
send "keydown lalt" "key return" "keyup lalt" "wait 800"
shot window-alt-enter && expect_full 0 "Alt+Enter from full screen"
send "keydown lalt" "key return" "keyup lalt" "wait 800"
shot full-alt-enter && expect_full 1 "Alt+Enter from a window"
send "key f11" "wait 800"
shot window-f11 && expect_full 0 "F11 from full screen"
send "close"
for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  fail "the game did not end after its close request"
else
  wait "$pid"
  code=$?
  [ "$code" -eq 0 ] && ok "closed with code 0" || fail "the game ended with code $code"
fi
pid=""
[ -f "$shared/goodexit.dat" ] || fail "no clean-exit marker"
[ -f "$shared/ErrorLog.txt" ] && fail "an error was logged: $(tr -d '\r' <"$shared/ErrorLog.txt")"
if [ "$failures" -ne 0 ]; then
  grep -v "^ALSA\|^AL lib" "$scratch/game.txt" | sed 's/^/  game: /' | tail -20
  tail -5 "$scratch/weston.txt" | sed 's/^/  weston: /'
  exit 1
fi
echo "full screen switches both ways on native Wayland"
