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
. "$(dirname "$0")/x11_common.sh"
begin wayland- .png
shot_tenths=600
weston_pid=""
cleanup_more() { [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; }

start_xvfb 1280x1024 || skip "Xvfb did not start: $(head -3 "$scratch/xvfb.txt")"
player_home 'FULL SCREEN=0'
socket=tallyfold-test-$$
weston --backend=x11-backend.so --use-pixman --no-config --socket="$socket" \
  --width=1024 --height=768 >"$scratch/weston.txt" 2>&1 &
weston_pid=$!
for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || skip "weston did not start: $(tail -3 "$scratch/weston.txt")"

# Nothing of X: the game must be a Wayland client or nothing.
game_env=(-u DISPLAY SDL_VIDEODRIVER=wayland WAYLAND_DISPLAY="$socket")
start_game
# Past the splash to the title, as the other start tests do.
to_title
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
for _ in $(seq 1 300); do [ -f "$scratch/exit" ] && break; sleep 0.1; done
if [ ! -f "$scratch/exit" ]; then
  fail "the game did not end after its close request"
else
  wait "$runner"
  code=$(cat "$scratch/exit")
  [ "$code" -eq 0 ] && ok "closed with code 0" || fail "the game ended with code $code"
fi
[ -f "$shared/goodexit.dat" ] || fail "no clean-exit marker"
no_error_logged
if [ "$failures" -ne 0 ]; then
  grep -v "^ALSA\|^AL lib" "$scratch/game.txt" | sed 's/^/  game: /' | tail -20
  tail -5 "$scratch/weston.txt" | sed 's/^/  weston: /'
  exit 1
fi
echo "full screen switches both ways on native Wayland"
