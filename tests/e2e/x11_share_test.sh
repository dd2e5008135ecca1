#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puzzles from outside the game, on a real X server (Xvfb, no window manager):
#   - `tallyfold FILE` starts with the file's puzzle on the board;
#   - Ctrl+C on the board puts the puzzle's code on the X server's clipboard (read
#     back by another client), and the code is the one tallyfold-engine gives the file;
#   - a folder dropped on the window is refused with a message and changes nothing,
#     a puzzle file dropped on the setup screen opens;
#   - Ctrl+V on the setup screen opens the code from the X clipboard;
#   - a file with two solutions on the command line leaves the game on its title
#     with a message.
# The pictures are left in ARTIFACTS as x11-share-*.png.
#
#   x11_share_test.sh PROGRAM ENGINE-TOOL ARTIFACTS
set -u
exe=$1
engine=$2
artifacts=$3
. "$(dirname "$0")/x11_common.sh"
need_tools Xvfb xdotool python3 convert compare identify
begin x11-share- .png
start_xvfb 1280x1024
player_home 'FULL SCREEN=0'

cat >"$scratch/four.txt" <<'PUZZLE'
; every clue here has one set of digits
  #   16\   24\     #
  \17   .     .   17\
  \24   .     .     .
  #     \16   .     .
PUZZLE
cat >"$scratch/two ways.txt" <<'PUZZLE'
 #  5\  5\
\3  .  .
\7  .  .
PUZZLE
# The tool's figures (ms, tier, score) come first on its output; the grid is the file.
"$engine" generate 6 6 1 --seed 7 --format text 2>/dev/null | grep -v '^[a-z]' >"$scratch/six.txt" ||
  fail "tallyfold-engine made no 6 x 6 puzzle file"

# Real keys through the X server (XTEST) to the focused window.
xkey() {
  local try
  for try in 1 2 3; do
    xdotool windowfocus "$window" 2>/dev/null && xdotool key "$@" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
clipboard() { python3 -c 'import tkinter; r = tkinter.Tk(); r.withdraw(); print(r.clipboard_get())' 2>/dev/null; }
finish() {
  send "close"
  for _ in $(seq 1 400); do [ -f "$scratch/exit" ] && break; sleep 0.05; done
  [ "$(cat "$scratch/exit" 2>/dev/null)" = 0 ] && ok "$1: the game ended with code 0" ||
    fail "$1: the game ended with $(cat "$scratch/exit" 2>/dev/null || echo nothing)"
}

# ---- tallyfold FILE, the code, a drop ------------------------------------------
if ! launch "$scratch/four.txt"; then
  fail "no game window for tallyfold FILE"
  tail -20 "$scratch/game.txt"
  exit 1
fi
to_title 2400
shot cmdline-board
send "wait 300"
shot cmdline-board-again
# The 4 x 4 board stands in the middle of the paper: its top-left clue cell is dark.
light=$(convert "$artifacts/x11-share-cmdline-board.png" -crop 20x20+346+158 -colorspace gray -format '%[fx:int(mean*100)]' info:)
[ "$light" -lt 40 ] && ok "tallyfold FILE starts with the file's 4 x 4 puzzle on the board" ||
  fail "no 4 x 4 board where it should be (brightness $light)"

want=$("$engine" code "$scratch/four.txt" 2>/dev/null)
xkey ctrl+c
send "wait 300"
shot code-copied
got=$(clipboard)
[ -n "$want" ] && [ "$got" = "$want" ] && ok "Ctrl+C put the puzzle's code on the X clipboard: $got" ||
  fail "the X clipboard holds '$got', not the code '$want'"
send "key RETURN" "wait 300"

# A folder dropped on the board: a message, and the board stays.
send "drop $scratch" "wait 400"
shot dropped-folder
send "key RETURN" "wait 400"
shot after-folder
p=$(psnr_same "$artifacts/x11-share-cmdline-board-again.png" "$artifacts/x11-share-after-folder.png")
[ "$p" -ge 30 ] && ok "a dropped folder changes nothing ($p dB like before)" || fail "the board changed after a dropped folder ($p dB)"
p=$(psnr_same "$artifacts/x11-share-after-folder.png" "$artifacts/x11-share-dropped-folder.png")
[ "$p" -lt 30 ] && ok "a dropped folder is answered with a message" || fail "no message for a dropped folder ($p dB)"

# Back to the setup screen; a dropped puzzle file opens there.
send "key ESCAPE" "wait 400" "key RETURN" "wait 1600"
shot setup
send "drop $scratch/six.txt" "wait 2000"
shot dropped-six
p=$(psnr_same "$artifacts/x11-share-setup.png" "$artifacts/x11-share-dropped-six.png")
[ "$p" -lt 25 ] && ok "a puzzle file dropped on the setup screen opens on the board" ||
  fail "the dropped puzzle file did not open ($p dB like the setup screen)"

# Ctrl+V on the setup screen: the 4 x 4 code from the X clipboard opens again.
send "key ESCAPE" "wait 400" "key RETURN" "wait 1600"
shot setup-again
xkey ctrl+v
send "wait 4000"
shot pasted-code
p=$(psnr_same "$artifacts/x11-share-setup-again.png" "$artifacts/x11-share-pasted-code.png")
# The board's own code, copied again, is the one pasted: the same puzzle is on it.
printf 'nothing' | python3 -c 'import sys, tkinter; r = tkinter.Tk(); r.withdraw(); r.clipboard_clear(); r.clipboard_append(sys.stdin.read()); r.update()' 2>/dev/null
xkey ctrl+c
send "wait 300"
shot pasted-code-copied
got=$(clipboard)
[ "$p" -lt 25 ] && [ "$got" = "$want" ] && ok "Ctrl+V on the setup screen opened the code from the X clipboard" ||
  fail "Ctrl+V did not bring back the 4 x 4 puzzle ($p dB like the setup screen, its code '$got')"
send "key RETURN" "wait 300"
finish "share session"

# ---- a file with two solutions on the command line -----------------------------
if launch "$scratch/two ways.txt"; then
  to_title 2400
  shot refused-file
  send "key RETURN" "wait 1500"
  shot title-after
  p=$(psnr_same "$artifacts/x11-share-refused-file.png" "$artifacts/x11-share-title-after.png")
  [ "$p" -lt 30 ] && ok "a command-line file with two solutions is refused with a message" ||
    fail "no message for a puzzle with two solutions ($p dB)"
  finish "refused file"
else
  fail "no game window for a refused file"
fi

[ "$failures" -eq 0 ] && echo "puzzles come in and go out on a real X server" || exit 1
