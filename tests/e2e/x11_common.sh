# SPDX-License-Identifier: GPL-3.0-or-later
# What the tests of the real program on a real X server (and the Wayland one,
# inside Xvfb) have in common; each sources it:
#   . "$(dirname "$0")/x11_common.sh"
# The script sets `exe` (the program) and `artifacts` (where its pictures go),
# checks its tools (need_tools), then calls begin before anything else here.

# The tools a test runs; it fails at once where one is missing.
need_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "FAIL: $tool is missing (bash scripts/setup.sh installs it; ctest -LE x11 leaves these tests out)"
      exit 1
    fi
  done
}

# A scratch folder, removed at the end with every process the test started;
# the test's pictures (ARTIFACTS/PREFIX*.png) of an earlier run removed; the
# counters of checks. The game's own pictures are named PREFIX NAME SUFFIX.
#   begin PREFIX SUFFIX
begin() {
  pictures=$1
  shot_suffix=$2
  scratch=$(mktemp -d)
  fifo=$scratch/script
  xvfb_pid="" runner="" pid="" window=""
  trap cleanup EXIT
  mkdir -p "$artifacts"
  rm -f "$artifacts/$pictures"*.png
  failures=0
}
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
# A test that starts more processes of its own ends them here; the X server
# goes after them.
cleanup_more() { :; }
cleanup() {
  # A game that has ended is not killed: its number may be another process's by now.
  [ -f "$scratch/pid" ] && [ ! -f "$scratch/exit" ] && kill -9 "$(cat "$scratch/pid")" 2>/dev/null
  cleanup_more
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}

# An X server of the screen size W x H (ending the one before), as DISPLAY;
# false if it did not come up within ten seconds.
start_xvfb() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$scratch/display"
  exec 8>"$scratch/display"
  Xvfb -displayfd 8 -screen 0 "$1x24" -nolisten tcp >"$scratch/xvfb.txt" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$scratch/display")"
  [ -s "$scratch/display" ]
}

# A player's own HOME and data folders in the scratch folder (`shared`: the
# game's folder there); with LINES, a settings file of those lines.
#   player_home [LINE...]
player_home() {
  export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"
  [ $# -eq 0 ] || write_settings "$@"
}
write_settings() {
  mkdir -p "$shared"
  printf '%s\r\n' "$@" >"$shared/tallyfold.ini"
}
setting() { tr -d '\r' <"$shared/tallyfold.ini" | grep "^$1=" | cut -d= -f2; }

# How the game reaches the screen; the Wayland test sets its own.
game_env=(SDL_VIDEODRIVER=x11)
# Starts the game with ARGS, its input script on the fifo (`send`). `pid` is
# the game's; when it ends, the time (ns) lands in $scratch/ended, then its
# exit code in $scratch/exit.
start_game() {
  rm -f "$scratch/exit" "$scratch/ended" "$scratch/pid" "$fifo"
  mkfifo "$fifo"
  (
    # SDL's X11 driver leaves a few blocks of libdbus at exit that no suppression can name
    # (their stacks run through code without frame pointers); every other run checks leaks.
    env "${game_env[@]}" ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy TALLYFOLD_NONINTERACTIVE=1 TALLYFOLD_INPUT_SCRIPT="$fifo" \
      ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
      "$exe" "$@" >>"$scratch/game.txt" 2>&1 &
    echo $! >"$scratch/pid"
    wait $!
    code=$?
    date +%s%N >"$scratch/ended"
    echo "$code" >"$scratch/exit"
  ) &
  runner=$!
  exec 9<>"$fifo"
  for _ in $(seq 1 100); do [ -s "$scratch/pid" ] && break; sleep 0.05; done
  pid=$(cat "$scratch/pid")
}
# Waits up to 30 s for the game's window on the X server (`window`).
wait_window() {
  window=""
  for _ in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name '^Tallyfold$' 2>/dev/null | head -1)
    [ -n "$window" ] && return 0
    [ -f "$scratch/exit" ] && break
    sleep 0.05
  done
  return 1
}
launch() { start_game "$@" && wait_window; }
send() { printf '%s\n' "$@" >&9; }

# The game's own picture of its next frame, as ARTIFACTS/PREFIX NAME SUFFIX;
# waits for it for shot_tenths tenths of a second while the game runs.
shot_tenths=1200
game_shot() {
  local file="$artifacts/$pictures$1$shot_suffix"
  send "shot $file"
  for _ in $(seq 1 "$shot_tenths"); do
    [ -f "$file" ] && return 0
    [ -f "$scratch/exit" ] && break
    sleep 0.1
  done
  fail "no picture $1 from the game"
  return 1
}
shot() { game_shot "$1"; }
# Gets past the maker's splash to the title (clicks through the script, so
# they are taken whenever the splash is ready for them), then waits WAIT ms.
to_title() { send "wait 700" "click 790 10" "wait 500" "click 790 10" "wait ${1:-1400}"; }

# The X server refuses a connection now and then while it is busy; the test's
# own clients try again rather than miss a click or a picture.
xdo() {
  local try
  for try in 1 2 3; do
    xdotool "$@" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
# What the X server shows of WINDOW (or "root": the whole screen), as
# ARTIFACTS/PREFIX NAME-x.png, cut by import's OPTIONS.
#   x_capture NAME WINDOW [OPTION...]
x_capture() {
  local try
  for try in 1 2 3; do
    import -window "$2" "${@:3}" "$artifacts/$pictures$1-x.png" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

size() { identify -format '%wx%h' "$1" 2>/dev/null; }
brightness() { convert "$1" -colorspace gray -format '%[fx:int(mean*1000)]' info:; }
# How much the board's upper part (logical 240..640 x 40..190 of an 800x600
# picture, above the pause card) varies, in thousandths: cells and clues give
# 350 or more, the paused sheet that hides them under 10.
board_spread() { convert "$1" -crop 400x150+240+40 -colorspace gray -format '%[fx:int(standard_deviation*1000)]' info:; }
# Peak signal-to-noise ratio of two pictures of one size, in whole dB (99 for
# the very same).
psnr_same() {
  compare -metric PSNR "$1" "$2" null: 2>&1 | awk '{ v = $1; if (v == "inf") v = 99; printf "%d", v }'
}
# The same, the second picture scaled to the first's size first.
psnr() {
  convert "$2" -resize "$(size "$1")!" "$scratch/scaled.png"
  psnr_same "$1" "$scratch/scaled.png"
}

no_error_logged() {
  [ -f "$shared/ErrorLog.txt" ] && fail "an error was logged: $(tr -d '\r' <"$shared/ErrorLog.txt")"
}
# The end of a test: the game's last words where a check failed, and the exit code.
report() {
  if [ "$failures" -gt 0 ]; then
    sed 's/^/  out: /' "$scratch/game.txt" | grep -v '^  out: AL lib' | tail -20
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
