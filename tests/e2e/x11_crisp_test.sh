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
. "$(dirname "$0")/x11_common.sh"
need_tools Xvfb xdotool import convert compare identify
begin crisp- -game.png
player_home

# Starts the game with a fresh settings file of the given lines; waits for its window.
launch_fresh() {
  stop
  rm -rf "$shared"
  write_settings "$@"
  launch
}
stop() {
  [ -n "$pid" ] || return 0
  send close 2>/dev/null
  for _ in $(seq 1 100); do [ -f "$scratch/exit" ] && break; sleep 0.05; done
  [ -f "$scratch/exit" ] || kill -9 "$pid" 2>/dev/null
  wait "$runner" 2>/dev/null
  pid=""
  rm -f "$scratch/pid"
}
# What the X server shows of a window, or of the picture's part of the whole
# screen (without the bars beside it) for a full-screen W x H.
capture() {
  if [ $# -ge 3 ]; then
    read -r x0 y0 <<<"$(on_screen "$2" "$3" 0 0)"
    read -r x1 y1 <<<"$(on_screen "$2" "$3" 800 600)"
    x_capture "$1" root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage && return 0
  else
    x_capture "$1" "${2:-root}" && return 0
  fi
  fail "no capture $1 from the X server"
  return 1
}
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
# At least 20 edges in the picture FILE (or "only N FOUND"), and their median
# WHAT take at most 3 pixels from 10 % to 90 % of their step.
#   sharp_edges FILE FOUND WHAT
sharp_edges() {
  local width edges
  read -r width edges <<<"$(edge_width "$1")"
  if [ "$edges" -lt 20 ]; then
    fail "$screen: only $edges $2"
  elif awk -v w="$width" 'BEGIN { exit !(w <= 3) }'; then
    ok "$screen: $3 take $width px from 10 % to 90 % (median of $edges)"
  else
    fail "$screen: $3 take $width px from 10 % to 90 % (median of $edges), more than 3"
  fi
}

# ---- full screen at 4K and at 1920x1080 ------------------------------------------
for screen in 3840x2160 1920x1080; do
  sw=${screen%x*} sh=${screen#*x}
  start_xvfb "$screen"
  if ! launch_fresh "FULL SCREEN=1"; then
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
    crop_logical "$artifacts/crisp-$screen-title-x.png" "$sw" "$sh" 690 572 798 598 "$artifacts/crisp-$screen-version-x.png"
    sharp_edges "$artifacts/crisp-$screen-version-x.png" "text edges found in the version line" "text edges"
    # The caption printed on the Play button, dark on its paper: a picture
    # made from the 2x drawing, not the 1x one stretched.
    crop_logical "$artifacts/crisp-$screen-title-x.png" "$sw" "$sh" 372 199 428 220 "$artifacts/crisp-$screen-button-x.png"
    sharp_edges "$artifacts/crisp-$screen-button-x.png" "edges found in the Play button's caption" "button caption edges"
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
start_xvfb 1600x1200
launch_fresh "FULL SCREEN=0" && to_title && shot 800x600-title && capture 800x600-title "$window"
g=$(geometry)
[ "$g" = 800x600 ] && ok "a new player's window opens at 800x600" || fail "a new player's window is $g"
stop

start_xvfb 1920x1080
for case in "150 1200x900" "999 1440x1080" "abc 800x600"; do
  set -- $case
  launch_fresh "FULL SCREEN=0" "TEXT AND BOARD SIZE=$1" || fail "no window with the size $1"
  g=$(geometry)
  [ "$g" = "$2" ] && ok "with the size of text and board at '$1' the window opens at $g" ||
    fail "with the size of text and board at '$1' the window is $g, not $2"
  stop
done
export GDK_SCALE=2
launch_fresh "FULL SCREEN=0" "TEXT AND BOARD SIZE=100" || fail "no window with GDK_SCALE=2"
g=$(geometry)
[ "$g" = 1440x1080 ] && ok "GDK_SCALE=2 on 1920x1080: the window opens at $g, within the screen" ||
  fail "GDK_SCALE=2 on 1920x1080: the window is $g, not 1440x1080"
stop
export GDK_SCALE=five
launch_fresh "FULL SCREEN=0" || fail "no window with GDK_SCALE=five"
g=$(geometry)
[ "$g" = 800x600 ] && ok "a GDK_SCALE that is not 1-4 is passed over ($g)" || fail "GDK_SCALE=five gave a window of $g"
stop
unset GDK_SCALE

no_error_logged
report
