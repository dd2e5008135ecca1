#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The picture drawn at the screen's own pixels, on a real X server (Xvfb, no
# window manager), driven with xdotool and captured from the server:
#   - full screen at 3840x2160 and 1920x1080: the title and a board fill the
#     screen's height, the game's own 800x600 picture matches what the screen
#     shows, and a click where a button is seen presses it;
#   - at 3840x2160 the text is drawn at that size, not stretched: across the
#     strokes of the version line a dark-to-light edge takes at most 3 pixels
#     from 10 % to 90 % of its step, and so does the caption printed on the
#     Play button (its picture made from the button drawn at 2x);
#   - a new player's window opens at 800x600 times the size of text and board
#     (checked, 150 % and a nonsense 999 brought to 200 %) times GDK_SCALE,
#     kept within the screen with its shape.
# The pictures are left in ARTIFACTS as crisp-*.png.
#
#   x11_crisp_test.sh PROGRAM ARTIFACTS
set -u
exe=$1
artifacts=$2
for tool in Xvfb xdotool import convert compare identify; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is missing (bash scripts/setup.sh installs it; ctest -LE x11 leaves these tests out)"
    exit 1
  fi
done
scratch=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -f "$scratch/pid" ] && kill -9 "$(cat "$scratch/pid")" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$artifacts"
rm -f "$artifacts"/crisp-*.png
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }

export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"

# One X server at a time, of the given size.
xserver() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$scratch/display"
  exec 8>"$scratch/display"
  Xvfb -displayfd 8 -screen 0 "$1x24" -nolisten tcp >"$scratch/xvfb.txt" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -1 "$scratch/display")"
}

fifo=$scratch/script
pid=""
window=""
# Starts the game with a fresh settings file of the given lines; waits for its window.
launch() {
  stop
  rm -rf "$shared"
  mkdir -p "$shared"
  printf '%s\r\n' "$@" >"$shared/tallyfold.ini"
  rm -f "$scratch/pid" "$fifo"
  mkfifo "$fifo"
  SDL_VIDEODRIVER=x11 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy TALLYFOLD_NONINTERACTIVE=1 TALLYFOLD_INPUT_SCRIPT=$fifo \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$exe" >>"$scratch/game.txt" 2>&1 &
  pid=$!
  echo "$pid" >"$scratch/pid"
  exec 9<>"$fifo"
  window=""
  for _ in $(seq 1 600); do
    window=$(xdotool search --onlyvisible --name '^Tallyfold$' 2>/dev/null | head -1)
    [ -n "$window" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  return 1
}
stop() {
  [ -n "$pid" ] || return 0
  send close 2>/dev/null
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
  rm -f "$scratch/pid"
}
send() { printf '%s\n' "$@" >&9; }
shot() {
  local file="$artifacts/crisp-$1-game.png"
  send "shot $file"
  for _ in $(seq 1 1200); do
    [ -f "$file" ] && return 0
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  fail "no picture $1 from the game"
  return 1
}
# What the X server shows of a window, or of the picture's part of the whole
# screen (without the bars beside it) for a full-screen W x H.
capture() {
  local try
  for try in 1 2 3; do
    if [ $# -ge 3 ]; then
      read -r x0 y0 <<<"$(on_screen "$2" "$3" 0 0)"
      read -r x1 y1 <<<"$(on_screen "$2" "$3" 800 600)"
      import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$artifacts/crisp-$1-x.png" 2>/dev/null &&
        return 0
    else
      import -window "${2:-root}" "$artifacts/crisp-$1-x.png" 2>/dev/null && return 0
    fi
    sleep 0.1
  done
  fail "no capture $1 from the X server"
  return 1
}
size() { identify -format '%wx%h' "$1" 2>/dev/null; }
psnr() {
  convert "$2" -resize "$(size "$1")!" "$scratch/scaled.png"
  compare -metric PSNR "$1" "$scratch/scaled.png" null: 2>&1 | awk '{ v = $1; if (v == "inf") v = 99; printf "%d", v }'
}
to_title() { send "wait 700" "click 790 10" "wait 500" "click 790 10" "wait 1400"; }
geometry() { xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'; }
# Where a logical point of the picture is on a full screen W x H.
on_screen() {
  awk -v w="$1" -v h="$2" -v x="$3" -v y="$4" 'BEGIN {
    s = h / 600; if (w / 800 < s) s = w / 800
    printf "%d %d", (w - 800 * s) / 2 + x * s, (h - 600 * s) / 2 + y * s }'
}
# Cuts the logical rectangle X0,Y0-X1,Y1 out of a capture of the picture's
# part of a full screen W x H into OUT.
crop_logical() {
  local x0 y0 x1 y1 ox oy
  read -r x0 y0 <<<"$(on_screen "$2" "$3" "$4" "$5")"
  read -r x1 y1 <<<"$(on_screen "$2" "$3" "$6" "$7")"
  read -r ox oy <<<"$(on_screen "$2" "$3" 0 0)"
  convert "$1" -crop "$((x1 - x0))x$((y1 - y0))+$((x0 - ox))+$((y0 - oy))" +repage "$8"
}
# The median width, in pixels, from 10 % to 90 % of the step, of the strong
# dark-to-light and light-to-dark edges along the rows of a picture (steps of
# at least 60 % of its darkest to lightest); then how many edges there were.
edge_width() {
  convert "$1" -colorspace gray -depth 8 -compress none pgm:- | awk '
    { for (i = 1; i <= NF; i++) n[++count] = $i }
    END {
      w = n[2]; h = n[3]; lo = 255; hi = 0
      for (i = 5; i <= count; i++) { if (n[i] < lo) lo = n[i]; if (n[i] > hi) hi = n[i] }
      edges = 0
      for (y = 0; y < h; y++) {
        for (x = 0; x < w; x++) v[x] = n[5 + y * w + x]
        for (dir = 1; dir >= -1; dir -= 2) {
          x = 0
          while (x < w - 1) {
            if ((v[x + 1] - v[x]) * dir <= 0) { x++; continue }
            j = x
            while (j < w - 1 && (v[j + 1] - v[j]) * dir >= 0) j++
            d = (v[j] - v[x]) * dir
            if (d >= 0.6 * (hi - lo)) {
              a = at(x, j, v[x] + 0.1 * d * dir, dir); b = at(x, j, v[x] + 0.9 * d * dir, dir)
              width[++edges] = b - a
            }
            x = j
          }
        }
      }
      if (edges == 0) { print "0 0"; exit }
      for (i = 2; i <= edges; i++) {
        t = width[i]
        for (k = i - 1; k >= 1 && width[k] > t; k--) width[k + 1] = width[k]
        width[k + 1] = t
      }
      printf "%.1f %d\n", width[int((edges + 1) / 2)], edges
    }
    # Where the run from i to j first reaches level t, between whole pixels.
    function at(i, j, t, dir,   k) {
      for (k = i + 1; k <= j; k++)
        if ((v[k] - t) * dir >= 0) return k - 1 + (t - v[k - 1]) / (v[k] - v[k - 1])
      return j
    }'
}

# ---- full screen at 4K and at 1920x1080 ------------------------------------------
for screen in 3840x2160 1920x1080; do
  sw=${screen%x*} sh=${screen#*x}
  xserver "$screen"
  if ! launch "FULL SCREEN=1"; then
    fail "$screen: no game window"
    continue
  fi
  to_title
  shot "$screen-title" && capture "$screen-title" "$sw" "$sh"
  p=$(psnr "$artifacts/crisp-$screen-title-game.png" "$artifacts/crisp-$screen-title-x.png")
  [ "$p" -ge 28 ] && ok "$screen: the screen shows the title as drawn ($p dB)" ||
    fail "$screen: the screen shows another title than the game drew ($p dB)"
  if [ "$screen" = 3840x2160 ]; then
    # The version line at the bottom right, light on the dark ground.
    read -r x0 y0 <<<"$(on_screen "$sw" "$sh" 690 572)"
    read -r x1 y1 <<<"$(on_screen "$sw" "$sh" 798 598)"
    read -r ox oy <<<"$(on_screen "$sw" "$sh" 0 0)"
    x0=$((x0 - ox)) x1=$((x1 - ox)) y0=$((y0 - oy)) y1=$((y1 - oy))
    convert "$artifacts/crisp-$screen-title-x.png" -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
      "$artifacts/crisp-$screen-version-x.png"
    read -r width edges <<<"$(edge_width "$artifacts/crisp-$screen-version-x.png")"
    if [ "$edges" -lt 20 ]; then
      fail "$screen: only $edges text edges found in the version line"
    elif awk -v w="$width" 'BEGIN { exit !(w <= 3) }'; then
      ok "$screen: text edges take $width px from 10 % to 90 % (median of $edges)"
    else
      fail "$screen: text edges take $width px from 10 % to 90 % (median of $edges), more than 3"
    fi
    # The caption printed on the Play button, dark on its paper: a picture
    # made from the 2x drawing, not the 1x one stretched.
    crop_logical "$artifacts/crisp-$screen-title-x.png" "$sw" "$sh" 372 199 428 220 "$artifacts/crisp-$screen-button-x.png"
    read -r width edges <<<"$(edge_width "$artifacts/crisp-$screen-button-x.png")"
    if [ "$edges" -lt 20 ]; then
      fail "$screen: only $edges edges found in the Play button's caption"
    elif awk -v w="$width" 'BEGIN { exit !(w <= 3) }'; then
      ok "$screen: button caption edges take $width px from 10 % to 90 % (median of $edges)"
    else
      fail "$screen: button caption edges take $width px from 10 % to 90 % (median of $edges), more than 3"
    fi
  fi
  # A real click where Play is seen, then a 6x6 board.
  read -r px py <<<"$(on_screen "$sw" "$sh" 400 209)"
  xdotool mousemove "$px" "$py" click 1
  send "wait 1400"
  shot "$screen-setup"
  p=$(psnr "$artifacts/crisp-$screen-setup-game.png" "$artifacts/crisp-$screen-title-game.png")
  [ "$p" -lt 20 ] && ok "$screen: a click where Play is seen pressed it" ||
    fail "$screen: a click where Play is seen did not lead to the setup screen ($p dB alike)"
  read -r px py <<<"$(on_screen "$sw" "$sh" 220 252)"
  xdotool mousemove "$px" "$py" click 1
  sleep 0.2
  read -r px py <<<"$(on_screen "$sw" "$sh" 167 521)"
  xdotool mousemove "$px" "$py" click 1
  send "wait 5000"
  shot "$screen-board" && capture "$screen-board" "$sw" "$sh"
  p=$(psnr "$artifacts/crisp-$screen-board-game.png" "$artifacts/crisp-$screen-setup-game.png")
  [ "$p" -lt 20 ] && ok "$screen: clicks where the buttons are seen led to the board" ||
    fail "$screen: clicks did not lead from the setup screen to the board ($p dB alike)"
  p=$(psnr "$artifacts/crisp-$screen-board-game.png" "$artifacts/crisp-$screen-board-x.png")
  [ "$p" -ge 28 ] && ok "$screen: the screen shows the board as drawn ($p dB)" ||
    fail "$screen: the screen shows another board than the game drew ($p dB)"
  stop
done

# ---- windows: the size of text and board, GDK_SCALE --------------------------------
xserver 1600x1200
launch "FULL SCREEN=0" && to_title && shot 800x600-title && capture 800x600-title "$window"
g=$(geometry)
[ "$g" = 800x600 ] && ok "a new player's window opens at 800x600" || fail "a new player's window is $g"
stop

xserver 1920x1080
for case in "150 1200x900" "999 1440x1080" "abc 800x600"; do
  set -- $case
  launch "FULL SCREEN=0" "TEXT AND BOARD SIZE=$1" || fail "no window with the size $1"
  g=$(geometry)
  [ "$g" = "$2" ] && ok "with the size of text and board at '$1' the window opens at $g" ||
    fail "with the size of text and board at '$1' the window is $g, not $2"
  stop
done
export GDK_SCALE=2
launch "FULL SCREEN=0" "TEXT AND BOARD SIZE=100" || fail "no window with GDK_SCALE=2"
g=$(geometry)
[ "$g" = 1440x1080 ] && ok "GDK_SCALE=2 on 1920x1080: the window opens at $g, within the screen" ||
  fail "GDK_SCALE=2 on 1920x1080: the window is $g, not 1440x1080"
stop
export GDK_SCALE=five
launch "FULL SCREEN=0" || fail "no window with GDK_SCALE=five"
g=$(geometry)
[ "$g" = 800x600 ] && ok "a GDK_SCALE that is not 1-4 is passed over ($g)" || fail "GDK_SCALE=five gave a window of $g"
stop
unset GDK_SCALE

[ -f "$shared/ErrorLog.txt" ] && fail "an error was logged: $(tr -d '\r' <"$shared/ErrorLog.txt")"
if [ "$failures" -gt 0 ]; then
  sed 's/^/  out: /' "$scratch/game.txt" | grep -v '^  out: AL lib' | tail -20
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
