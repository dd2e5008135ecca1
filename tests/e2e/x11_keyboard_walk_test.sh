#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every screen of the real program on a real X server reached and left with
# the keyboard alone (xdotool key, no pointer): from the title the setup screen
# with a board size and a level chosen by keys, the board and its pause, the
# save question, the Load list, the open-file chooser, the options with a
# volume slider moved, the best times with a size chosen, the statistics, the
# daily puzzle and the How to Play pages, then out of the game by its Exit
# button. Each screen is told from the game's own pictures: it differs from the
# one before, and where Tab was pressed the yellow focus frame shows. The save
# made on the way says which size and level the keys chose. The pictures are
# left in ARTIFACTS as walk-*.png.
#
#   x11_keyboard_walk_test.sh PROGRAM ARTIFACTS
set -u
exe=$1
artifacts=$2
. "$(dirname "$0")/x11_common.sh"
need_tools Xvfb xdotool convert compare identify
begin walk- .png
start_xvfb 1024x768
player_home 'FULL SCREEN=0'
# Two files for the open-file chooser to list (it lists, it does not read them).
mkdir -p "$shared/puzzles"
printf 'not read\n' >"$shared/puzzles/first.txt"
printf 'not read\n' >"$shared/puzzles/second.txt"

# The game reads "shot FILE" and "wait MS" from the script pipe; the keys come
# from the X server only.
if ! launch; then
  echo "FAIL: no game window on the X server"
  sed 's/^/  out: /' "$scratch/game.txt" | tail -20
  exit 1
fi
# Keys, one by one with a player's pause between them, to the window with the
# focus (the game's: there is no other), as the keyboard sends them.
keys() {
  local k
  for k in "$@"; do
    xdo key "$k"
    sleep 0.15
  done
}
# The game's picture WAIT ms of its time after the keys, as walk-NAME.png.
shot() {
  send "wait ${2:-400}"
  game_shot "$1" && sleep 0.1
}
# Pixels of the focus frame's yellow (255, 214, 64) in a picture.
yellow() {
  convert "$1" -fill black +opaque '#FFD640' -fill white -opaque '#FFD640' -colorspace gray \
    -format '%[fx:int(mean*w*h)]' info:
}
# NAME was reached: its picture differs from the one before (BEFORE) by a new screen's measure.
reached() {
  local p
  if [ ! -f "$artifacts/walk-$1.png" ] || [ ! -f "$artifacts/walk-$2.png" ]; then
    fail "$1: no picture to tell it was reached"
    return
  fi
  p=$(psnr "$artifacts/walk-$1.png" "$artifacts/walk-$2.png")
  [ "$p" -lt 20 ] && ok "$1 reached by keys ($p dB against $2)" || fail "$1 looks like $2 ($p dB): not reached"
}
# The focus frame shows on NAME and not on the same screen before Tab (BEFORE).
framed() {
  local with without
  if [ ! -f "$artifacts/walk-$1.png" ] || [ ! -f "$artifacts/walk-$2.png" ]; then
    fail "$1: no picture to find the focus frame in"
    return
  fi
  with=$(yellow "$artifacts/walk-$1.png")
  without=$(yellow "$artifacts/walk-$2.png")
  [ "$with" -ge 300 ] && [ "$without" -lt $((with / 4)) ] && ok "$1 shows the focus frame ($with yellow pixels, $without before)" ||
    fail "$1: no focus frame to be seen ($with yellow pixels, $without before Tab)"
}
# Two pictures of one screen that a key changed: not the same, but not a new screen either.
changed() {
  local p
  if [ ! -f "$artifacts/walk-$1.png" ] || [ ! -f "$artifacts/walk-$2.png" ]; then
    fail "$3: no picture"
    return
  fi
  p=$(psnr "$artifacts/walk-$1.png" "$artifacts/walk-$2.png")
  [ "$p" -ge 10 ] && [ "$p" -lt 60 ] && ok "$3 ($p dB)" || fail "$3: $p dB between $2 and $1"
}

# ---- splash and title -------------------------------------------------------
# The splash ends by itself (a key there would also reach the title's Play);
# the game's script waits for the title before it takes the picture.
xdo windowfocus "$window"
shot title 6000
keys Tab
shot title-framed
framed title-framed title

# ---- setup screen: 7x7, easy, by keys ----------------------------------------
# The title's first button is Play (there is nothing to continue yet).
keys Return
shot setup 1200
reached setup title
keys Tab
shot setup-framed
framed setup-framed setup
# The frame starts on 6x6; Tab moves it to 7x7 and Enter chooses it. Then
# Tab runs 9x9, 12x12, 14x14 to Easy, and on over Medium and Hard to Play.
keys Tab Return Tab Tab Tab Tab Return
shot setup-chosen
changed setup-chosen setup-framed "size and level chosen on the setup screen"
keys Tab Tab Tab Return
shot board 5000
reached board setup-chosen

# ---- the board, its pause and the save question ------------------------------
keys Tab
shot board-framed
framed board-framed board
# The frame is on Pause.
keys Return
shot paused
# The pause hides the board under a plain sheet: the board's upper part, above
# the pause card, goes from cells and clues to one even grey. (The whole
# picture's brightness told it only on boards with many light cells.)
before=$(board_spread "$artifacts/walk-board-framed.png")
after=$(board_spread "$artifacts/walk-paused.png")
[ "$before" -gt 200 ] && [ "$after" -lt 50 ] && ok "Enter on the framed Pause pauses (spread over the board $before -> $after)" ||
  fail "Enter on the framed Pause did not pause (spread over the board $before -> $after)"
keys Escape
shot unpaused
p=$(psnr "$artifacts/walk-unpaused.png" "$artifacts/walk-board.png")
[ "$p" -ge 20 ] && ok "Escape leaves the pause for the board ($p dB)" || fail "Escape did not leave the pause ($p dB)"
keys ctrl+s
shot save-question
reached save-question unpaused
keys w a l k Return
shot saved
saved="$shared/profiles/walk.dat"
if [ -f "$saved" ]; then
  line2=$(sed -n 2p "$saved" | tr -d '\r')
  line3=$(sed -n 3p "$saved" | tr -d '\r')
  [ "$line2" = "07x07" ] && [ "$line3" = "0" ] && ok "the save holds the 7x7 easy puzzle the keys chose" ||
    fail "the keys chose size $line2 and level $line3, not 07x07 and 0"
else
  fail "Ctrl+S and the typed name saved nothing ($(ls "$shared/profiles" 2>/dev/null | tr '\n' ' '))"
fi

# ---- leaving the board by its question --------------------------------------
keys Escape
shot leave-question
keys Tab
shot leave-framed
framed leave-framed leave-question
keys Return
shot setup-again 1200
reached setup-again leave-framed

# ---- the Load list and the open-file chooser ---------------------------------
# Sizes (5), levels (3), Play, Custom, then Load Game.
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab
shot setup-load-framed
framed setup-load-framed setup-again
keys Return
shot load-list 800
reached load-list setup-load-framed
keys Down
shot load-list-chosen
changed load-list-chosen load-list "Down chooses the first save in the Load list"
keys Tab
shot load-list-framed
framed load-list-framed load-list-chosen
keys Escape
shot load-list-left 800
reached load-list-left load-list-framed
# Then Back, Enter Code and Open File.
keys Tab Tab Tab
shot setup-open-framed
keys Return
shot open-chooser 800
reached open-chooser setup-open-framed
keys Down Down
shot open-chooser-chosen
changed open-chooser-chosen open-chooser "Down chooses a file in the open-file chooser"
keys Escape
shot open-chooser-left 800
reached open-chooser-left open-chooser
keys Escape
shot title-again 1200
reached title-again open-chooser-left

# ---- options, with the music slider moved ------------------------------------
# The title's column from its end: Exit, Best Times, Options, Help, Statistics,
# Daily (Continue, now that a puzzle was left on the board, comes first).
keys Tab shift+Tab shift+Tab shift+Tab Return
shot options 1200
reached options title-again
keys Tab
shot options-framed
framed options-framed options
keys Left Left Left
shot options-slider
changed options-slider options-framed "Left moves the framed volume slider"
keys Escape
shot options-left 1200
reached options-left options-slider

# ---- best times with a size chosen -------------------------------------------
keys Tab shift+Tab shift+Tab Return
shot besttimes 1200
reached besttimes options-left
keys Tab
shot besttimes-framed
framed besttimes-framed besttimes
keys Tab Tab Return
shot besttimes-size 2000
changed besttimes-size besttimes-framed "a size chosen on the best times by keys"
keys Escape
shot besttimes-left 1200
reached besttimes-left besttimes-size

# ---- statistics ---------------------------------------------------------------
keys Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab Return
shot statistics 1200
reached statistics besttimes-left
keys Tab
shot statistics-framed
framed statistics-framed statistics
keys Escape
shot statistics-left 1200
reached statistics-left statistics-framed

# ---- daily puzzle -------------------------------------------------------------
keys Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab Return
shot daily 2500
reached daily statistics-left
keys Tab
shot daily-framed
framed daily-framed daily
keys Left
shot daily-yesterday
changed daily-yesterday daily-framed "Left chooses the day before on the daily puzzle"
keys Escape
shot daily-left 1200
reached daily-left daily-yesterday

# ---- How to Play, its pages ---------------------------------------------------
keys Tab shift+Tab shift+Tab shift+Tab shift+Tab Return
shot help 1200
reached help daily-left
keys Tab
shot help-framed
framed help-framed help
keys Right
shot help-page2
changed help-page2 help-framed "Right turns the How to Play page"
keys Escape
shot help-left 1200
reached help-left help-page2

# ---- out by the Exit button ---------------------------------------------------
keys Tab shift+Tab
shot exit-framed
framed exit-framed help-left
keys Return
for _ in $(seq 1 200); do [ -f "$scratch/exit" ] && break; sleep 0.1; done
if [ -f "$scratch/exit" ]; then
  code=$(cat "$scratch/exit")
  [ "$code" -eq 0 ] && ok "Enter on the framed Exit ends the game (code 0)" || fail "the game ended with code $code"
else
  fail "Enter on the framed Exit did not end the game"
fi
wait "$runner" 2>/dev/null

report
