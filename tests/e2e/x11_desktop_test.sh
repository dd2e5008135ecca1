#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on a real X server, as a player meets it on a desktop: Xvfb
# without a window manager, the game windowed at its centred (non-zero) place,
# driven with xdotool and captured from the X server.
#   - the window shows the picture the game drew, and clicks land where they
#     are seen, also in a window resized to 1200x900 (drawn again at that
#     size) and in full screen;
#   - nine quick digit taps (xdotool's 12 ms) on the board make nine marks;
#   - the window's size is kept, and pause + Alt+Enter keeps music and speech
#     on in the settings file;
#   - SIGTERM while paused and while another window has the focus, SIGINT
#     during the splash, SIGHUP on the title, the close box, and SIGTERM or the
#     close box just after Play on the setup screen end the game within a
#     second with code 0 and the clean-exit marker;
#   - a game started half a second before its X server waits for it.
# The pictures are left in ARTIFACTS as x11-*.png (game: what the game drew,
# x: what the X server shows).
#
#   x11_desktop_test.sh PROGRAM ARTIFACTS [CLOSE-LIMIT-MS]
set -u
exe=$1
artifacts=$2
limit_ms=${3:-1000}
. "$(dirname "$0")/x11_common.sh"
need_tools Xvfb xdotool xmessage import convert compare
begin x11- -game.png
late_xvfb=""
other=""
cleanup_more() {
  [ -n "$other" ] && kill "$other" 2>/dev/null
  [ -n "$late_xvfb" ] && kill "$late_xvfb" 2>/dev/null
}

# A screen twice the logical one's size, so that the window can grow. A player
# who chose a window; the rest are the defaults.
start_xvfb 1600x1200
player_home 'FULL SCREEN=0'
# What the X server shows of the game's window (or of the whole screen).
capture() { x_capture "$1" "${2:-$window}"; }
# Sends a signal (or runs a command) and checks that the game ended in
# order within a second (limit_ms).
ends_within_a_second() {
  local what=$1
  shift
  rm -f "$shared/goodexit.dat"
  local t0
  t0=$(date +%s%N)
  "$@"
  for _ in $(seq 1 400); do [ -f "$scratch/exit" ] && break; sleep 0.05; done
  if [ ! -f "$scratch/exit" ]; then
    fail "$what: the game still runs 20 s later"
    kill -9 "$pid" 2>/dev/null
    wait "$runner" 2>/dev/null
    return
  fi
  wait "$runner" 2>/dev/null
  local code end ms
  code=$(cat "$scratch/exit") end=$(cat "$scratch/ended")
  ms=$(((end - t0) / 1000000))
  if [ "$code" -ne 0 ]; then fail "$what: the game ended with code $code after $ms ms"
  elif [ ! -f "$shared/goodexit.dat" ]; then fail "$what: no clean-exit marker"
  elif [ "$ms" -gt "$limit_ms" ]; then fail "$what: the game took $ms ms to end (limit $limit_ms ms)"
  else ok "$what: ended in order (code 0, clean-exit marker) in $ms ms"; fi
}
# A real click: the pointer goes there, then the button (a player's hand is
# never faster than that). The game's own picture NAME, WAIT ms of its time
# later, tells that it has taken the click.
click() {
  xdo mousemove --window "$window" "$1" "$2"
  sleep 0.1
  xdo click 1
  [ -n "${3:-}" ] && send "wait ${4:-300}" && shot "$3"
}

# ---- one session: the picture, the board's keys, resizing, pause -------------
if ! launch; then
  fail "no game window on the X server"
  sed 's/^/  out: /' "$scratch/game.txt" | tail -20
  exit 1
fi
geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
  /Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h "+" x "+" y}')
[ "$geometry" = "800x600+400+300" ] && ok "the window opens centred: $geometry" || fail "window geometry $geometry"
to_title
shot title && capture title
# The title's logo shimmers and the board's clock runs between two pictures, so
# alike is about 30 dB and up; a picture shifted by the window's place comes out
# near 12.
p=$(psnr "$artifacts/x11-title-game.png" "$artifacts/x11-title-x.png")
[ "$p" -ge 30 ] && ok "the window shows the title as drawn ($p dB)" || fail "the window shows another picture than the game drew ($p dB)"

# Real clicks at the places seen: Play, a 6x6 board, Play.
click 400 209 setup 1400
click 220 252 setup-chosen
click 167 521 board 5000
capture board
p=$(psnr "$artifacts/x11-board-game.png" "$artifacts/x11-board-x.png")
[ "$p" -ge 30 ] && ok "the board shows as drawn ($p dB)" || fail "the board's window differs from the game's picture ($p dB)"
p=$(psnr "$artifacts/x11-board-game.png" "$artifacts/x11-title-game.png")
[ "$p" -lt 20 ] && ok "real clicks where the buttons are seen led to the board" ||
  fail "real clicks did not lead from the title to the board ($p dB alike)"

# The cursor on the first cell to fill, then nine pencil marks at xdotool's
# 12 ms a key: a lost tap leaves a mark out, a doubled one takes it back.
xdo mousemove --window "$window" 790 590
xdo windowfocus "$window"
xdo key Left
send "wait 200"
shot cursor
xdo key shift+1 shift+2 shift+3 shift+4 shift+5 shift+6 shift+7 shift+8 shift+9
sleep 0.2
send "wait 300"
shot marks

# A hint, two presses of H: the place, then the whole reasoning in its own panel
# under the board. The window shows it as drawn, the digit column and the aid
# buttons stay as they were, and Escape puts it away. The digit column is
# taken down to its last button only: under it the combinations line of the
# marks shot runs as far right as the puzzle's runs make it, and the panel
# rightly takes its place.
xdo key h
sleep 0.2
xdo key h
sleep 0.2
send "wait 300"
shot hint && capture hint
p=$(psnr "$artifacts/x11-hint-game.png" "$artifacts/x11-hint-x.png")
[ "$p" -ge 30 ] && ok "the window shows the hint's panel as drawn ($p dB)" || fail "the hint's window differs from the game's picture ($p dB)"
for part in 100x535+700+0 200x440+0+0; do
  convert "$artifacts/x11-marks-game.png" -crop "$part" +repage "$scratch/before.png"
  convert "$artifacts/x11-hint-game.png" -crop "$part" +repage "$scratch/after.png"
  p=$(psnr_same "$scratch/before.png" "$scratch/after.png")
  [ "$p" -ge 30 ] && ok "the hint's panel leaves $part as it was ($p dB)" || fail "the hint's panel reaches into $part ($p dB)"
done
xdo key Escape
sleep 0.2
send "wait 300"

# Resized to 1200x900: the same picture, scaled; the size is kept.
xdo windowsize "$window" 1200 900
sleep 0.3
send "wait 800"
shot resized && capture resized
[ "$(size "$artifacts/x11-resized-x.png")" = 1200x900 ] || fail "the window is $(size "$artifacts/x11-resized-x.png") after the resize"
# The picture is drawn again at the window's size (not the 800x600 one
# stretched): the window shows what the game drew, and that is the board it
# showed before (its clock may have moved on).
p=$(psnr "$artifacts/x11-resized-game.png" "$artifacts/x11-resized-x.png")
[ "$p" -ge 28 ] && ok "resized to 1200x900, the window shows the board as drawn at that size ($p dB)" ||
  fail "the resized window does not show the board as the game drew it ($p dB)"
p=$(psnr "$artifacts/x11-marks-game.png" "$artifacts/x11-resized-game.png")
[ "$p" -ge 21 ] && ok "resized to 1200x900, it is the same board ($p dB against the 800x600 picture)" ||
  fail "resized to 1200x900, the window shows another picture than the board ($p dB against the 800x600 picture)"
# Pause by its button, clicked where the scaled window shows it: the board
# goes under the paused sheet.
before=$(board_spread "$artifacts/x11-resized-game.png")
click 171 168 paused
after=$(board_spread "$artifacts/x11-paused-game.png")
[ "$before" -gt 200 ] && [ "$after" -lt 50 ] && ok "a click on the scaled Pause button pauses (spread over the board $before -> $after)" ||
  fail "the click on the scaled Pause button did not pause (spread over the board $before -> $after)"
# Alt+Enter while paused: full screen shows the picture over the whole screen,
# and back. The settings file keeps music and speech on and the window's size.
xdo key alt+Return
sleep 0.3
send "wait 800"
shot fullscreen && capture fullscreen root
p=$(psnr "$artifacts/x11-fullscreen-game.png" "$artifacts/x11-fullscreen-x.png")
[ "$p" -ge 28 ] && ok "full screen shows the picture scaled over the screen ($p dB)" ||
  fail "full screen shows another picture ($p dB)"
xdo search --onlyvisible --name '^Tallyfold$' windowfocus
xdo key alt+Return
sleep 0.3
send "wait 800"
shot windowed-again
window=$(xdotool search --onlyvisible --name '^Tallyfold$' 2>/dev/null | head -1)
capture windowed-again
[ "$(size "$artifacts/x11-windowed-again-x.png")" = 1200x900 ] && ok "back in a window of the size it had" ||
  fail "back in a window of $(size "$artifacts/x11-windowed-again-x.png"), not 1200x900"
music=$(setting MUSIC) speech=$(setting SPEECH) width=$(setting "WINDOW WIDTH") height=$(setting "WINDOW HEIGHT")
[ "$music$speech" = 11 ] && ok "pause + Alt+Enter saved music and speech on" ||
  fail "pause + Alt+Enter saved MUSIC=$music SPEECH=$speech"
[ "${width}x$height" = 1200x900 ] && ok "the window's size is kept" || fail "kept window size ${width}x$height"

ends_within_a_second "SIGTERM while paused" kill -TERM "$pid"
autosave=$(find "$shared" -name autosave.sav | head -1)
if [ -z "$autosave" ]; then
  fail "the puzzle in progress was not kept"
else
  # Blocks after the two header lines: settings, clues, digits, solution, marks.
  mapfile -t lines < <(tr -d '\r' <"$autosave")
  part=0 solution=() marks=()
  for ((i = 2; i < ${#lines[@]}; i++)); do
    if [ "${lines[i]}" = "-" ]; then part=$((part + 1)); continue; fi
    [ "$part" -eq 3 ] && solution+=("${lines[i]}")
    [ "$part" -eq 4 ] && marks+=("${lines[i]}")
  done
  # The cursor's first cell: the first light cell in reading order.
  got=""
  for ((y = 0; y < ${#solution[@]}; y++)); do
    read -r -a row <<<"${solution[y]}"
    for ((x = 0; x < ${#row[@]}; x++)); do
      if [ "${row[x]}" != 88 ]; then
        read -r -a flags <<<"${marks[y]:-}"
        got="${flags[*]:$((9 * x)):9}"
        break 2
      fi
    done
  done
  [ "$got" = "1 1 1 1 1 1 1 1 1" ] && ok "nine quick Shift+digit taps made nine marks" ||
    fail "nine quick Shift+digit taps left the marks '$got' (1 = marked, digits 1 to 9)"
fi

# ---- the next start keeps the music; another window takes the focus -----------
launch || fail "no game window at the second start"
to_title
shot title-again
music=$(setting MUSIC) speech=$(setting SPEECH)
[ "$music$speech" = 11 ] && ok "music and speech are on at the next start" ||
  fail "after a restart MUSIC=$music SPEECH=$speech"
before=$(brightness "$artifacts/x11-title-again-game.png")
xmessage -geometry +0+0 "another program" &
other=$!
for _ in $(seq 1 100); do
  other_window=$(xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null | head -1)
  [ -n "$other_window" ] && break
  sleep 0.05
done
xdo mousemove 10 10
xdo windowfocus "$other_window"
sleep 0.2
send "wait 300"
shot background
after=$(brightness "$artifacts/x11-background-game.png")
[ "$after" -lt $((before * 3 / 4)) ] && ok "with another window in front the game waits, dimmed" ||
  fail "the game did not notice another window in front (brightness $before -> $after)"
ends_within_a_second "SIGTERM while another window has the focus" kill -TERM "$pid"
kill "$other" 2>/dev/null
other=""

# ---- the splash, the title and the close box ------------------------------------
launch || fail "no game window at the third start"
sleep 0.3
shot splash
ends_within_a_second "SIGINT during the splash" kill -INT "$pid"

launch || fail "no game window at the fourth start"
to_title
shot title-hup
ends_within_a_second "SIGHUP on the title" kill -HUP "$pid"

launch || fail "no game window at the fifth start"
to_title
shot title-close
ends_within_a_second "the close box on the title" send close

# ---- a close while a new puzzle is being made ------------------------------------
# From Play on the setup screen the overlay fades in, the puzzle is made and the
# screen fades to the board; a close in that time ends the game and keeps no
# puzzle the player never saw.
for how in "SIGTERM 0.3" "close 0.4"; do
  set -- $how
  find "$shared" -name autosave.sav -delete
  launch || fail "no game window for a close during a new puzzle"
  to_title
  click 400 209 setup-$1 1400
  xdo mousemove --window "$window" 167 521
  sleep 0.1
  xdo click 1
  sleep "$2"
  if [ "$1" = SIGTERM ]; then
    ends_within_a_second "SIGTERM $2 s after Play on the setup screen" kill -TERM "$pid"
  else
    ends_within_a_second "the close box $2 s after Play on the setup screen" send close
  fi
  [ -z "$(find "$shared" -name autosave.sav)" ] && ok "no puzzle kept that the player never saw" ||
    fail "a close during a new puzzle kept the new puzzle"
done

# ---- an X server that starts listening just after the game ---------------------
# As when the game is started with the session: its first connection is refused,
# and it waits for the server instead of reporting no graphics.
late=""
for n in $(seq 90 150); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then late=$n; break; fi
done
export DISPLAY=":$late"
(sleep 0.5 && exec Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb-late.txt" 2>&1) &
late_xvfb=$!
launch || fail "no game window when the X server started half a second after the game"
to_title
shot title-late
ends_within_a_second "the close box, on a server that started late" send close
kill "$late_xvfb" 2>/dev/null
wait "$late_xvfb" 2>/dev/null
late_xvfb=""

no_error_logged
report
