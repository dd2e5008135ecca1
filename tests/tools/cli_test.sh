#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Command-line manners of every program, as one table: --help and --version
# on standard output, a bad argument as one exact line and a hint on standard
# error with status 2, a full standard output as status 1; and the game itself
# without a display: a clear line and status 1 before it takes its lock.
#
#   cli_test.sh VERSION GAME ENGINE PAK ASSETS
set -u
version=$1
declare -A exe=([tallyfold]=$2 [tallyfold-engine]=$3 [tallyfold-pak]=$4 [tallyfold-assets]=$5)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# program | arguments | status | standard output (first line) | standard error (first line)
# "*" in the last two columns: anything but empty.
while IFS='|' read -r program args status out err; do
  program=$(echo $program) status=$(echo $status) args=$(echo $args)
  out=${out# } out=${out% } err=${err# } err=${err% } args=${args# } args=${args% }
  [ -z "$program" ] && continue
  # shellcheck disable=SC2086
  (cd "$scratch" && timeout 60 "${exe[$program]}" $args >"$scratch/out" 2>"$scratch/err")
  got=$?
  got_out=$(head -1 "$scratch/out") got_err=$(head -1 "$scratch/err")
  what="$program $args"
  [ "$got" = "$status" ] || fail "$what: status $got, not $status"
  if [ "$out" = "*" ]; then [ -n "$got_out" ] || fail "$what: nothing on standard output"
  else [ "$got_out" = "$out" ] || fail "$what: standard output '$got_out', not '$out'"; fi
  if [ "$err" = "*" ]; then [ -n "$got_err" ] || fail "$what: nothing on standard error"
  else [ "$got_err" = "$err" ] || fail "$what: standard error '$got_err', not '$err'"; fi
  # A refused command line is one line and the way to the help, not the usage.
  if [ "$status" = 2 ]; then
    [ "$(sed -n 2p "$scratch/err")" = "Try '$program --help' for more information." ] ||
      fail "$what: no hint to --help: $(sed -n 2p "$scratch/err")"
    [ "$(wc -l <"$scratch/err")" -eq 2 ] || fail "$what: more than the error and the hint: $(cat "$scratch/err")"
  fi
  # Whatever a program prints, it notices when nobody can read it.
  if [ "$status" = 0 ] && [ -n "$out" ]; then
    # shellcheck disable=SC2086
    (cd "$scratch" && timeout 60 "${exe[$program]}" $args >/dev/full 2>"$scratch/err")
    got=$?
    [ "$got" = 1 ] || fail "$what >/dev/full: status $got, not 1"
    grep -q "cannot write to standard output" "$scratch/err" || fail "$what >/dev/full: $(head -1 "$scratch/err")"
  fi
done <<TABLE
tallyfold        | --help                        | 0 | * |
tallyfold        | --version                     | 0 | tallyfold $version |
tallyfold        | --fullscreen                  | 2 | | tallyfold: unknown option --fullscreen
tallyfold        | puzzle.txt extra.txt          | 2 | | tallyfold: unexpected argument extra.txt (the game opens one puzzle file)
tallyfold        | -- a.txt b.txt                | 2 | | tallyfold: unexpected argument a.txt (the game opens one puzzle file)
tallyfold        | --version --help              | 2 | | tallyfold: --version takes nothing after it, not --help
tallyfold-engine | --help                        | 0 | * |
tallyfold-engine | --version                     | 0 | tallyfold-engine $version |
tallyfold-engine |                               | 2 | | tallyfold-engine: a command is needed: generate, solve, rate, explain, check, code, open, daily, book and picture
tallyfold-engine | generate 6 6 9                | 2 | | tallyfold-engine: LEVEL must be 1 (easy), 2 (medium) or 3 (hard), not '9'
tallyfold-engine | generate 8 8 1                | 2 | | tallyfold-engine: ROWS must be 6, 7, 9, 12 or 14, not '8'
tallyfold-engine | generate 6 6 1 --seed -4      | 2 | | tallyfold-engine: --seed takes a whole number from 0 to 4294967295, not '-4'
tallyfold-engine | solve a b                     | 2 | | tallyfold-engine: solve takes at most one FILE, not also 'b'
tallyfold-engine | shuffle                       | 2 | | tallyfold-engine: unknown command 'shuffle'; the commands are generate, solve, rate, explain, check, code, open, daily, book and picture
tallyfold-engine | daily 2026-02-30              | 2 | | tallyfold-engine: '2026-02-30' is not a date of the form YYYY-MM-DD from 0001-01-01 to 9999-12-31
tallyfold-engine | daily 0000-01-01              | 2 | | tallyfold-engine: '0000-01-01' is not a date of the form YYYY-MM-DD from 0001-01-01 to 9999-12-31
tallyfold-engine | daily tomorrow                | 2 | | tallyfold-engine: 'tomorrow' is not a date of the form YYYY-MM-DD from 0001-01-01 to 9999-12-31
tallyfold-engine | daily 2026-12-10 --format x   | 2 | | tallyfold-engine: --format takes grid, text or description, not 'x'
tallyfold-engine | daily 2028-02-29 --code       | 0 | * |
tallyfold-engine | open                          | 2 | | tallyfold-engine: open needs a CODE
tallyfold-engine | open 166G-0000-0JZ7           | 0 | * |
tallyfold-engine | code 6 6 2 9                  | 0 | 166G-0000-0JZ7 |
tallyfold-engine | code 8 8 2 9                  | 2 | | tallyfold-engine: ROWS must be 6, 7, 9, 12 or 14, not '8'
tallyfold-engine | solve --format grid           | 2 | | tallyfold-engine: --format takes text or description, not 'grid'
tallyfold-engine | generate 6 6 1 --seed 3       | 0 | * |
tallyfold-pak    | --help                        | 0 | * |
tallyfold-pak    | --version                     | 0 | tallyfold-pak $version |
tallyfold-pak    |                               | 2 | | tallyfold-pak: a command is needed: create, list or extract
tallyfold-pak    | unpack x.pak                  | 2 | | tallyfold-pak: unknown command 'unpack'; the commands are create, list and extract
tallyfold-pak    | list /etc/passwd              | 1 | | tallyfold-pak: /etc/passwd is not a data archive (it does not begin with "!PAK")
tallyfold-assets | --help                        | 0 | * |
tallyfold-assets | --version                     | 0 | tallyfold-assets $version |
tallyfold-assets | --data                        | 2 | | tallyfold-assets: --data needs a value
tallyfold-assets | --data d --archive a --loud   | 2 | | tallyfold-assets: unknown option '--loud'
TABLE

# ---- the game without a display ------------------------------------------------
# Neither variable set, or a display nobody answers on: one line, status 1, and
# nothing made in the data folder, so the lock that would turn the next start
# away as "already running" was never taken.
run_without_display() {
  local label=$1
  shift
  rm -rf "$scratch/data"
  local start=$SECONDS
  env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY -u DISPLAY "$@" XDG_DATA_HOME="$scratch/data" \
    TALLYFOLD_NONINTERACTIVE=1 timeout 60 "${exe[tallyfold]}" >"$scratch/out" 2>"$scratch/err"
  local got=$?
  [ "$got" = 1 ] || fail "$label: status $got, not 1"
  grep -q "^tallyfold: cannot open display" "$scratch/err" || fail "$label: $(cat "$scratch/err")"
  [ -e "$scratch/data/Vellacor Games" ] && fail "$label: the game made its data folder (and its lock)"
  echo "ok   $label: $(grep '^tallyfold:' "$scratch/err") ($((SECONDS - start)) s)"
}
run_without_display "no display set"
# Nothing listens on display 4711.
# SDL's X11 driver leaves a block of libdbus behind that no suppression can
# name (see the X11 tests); every other run here checks for leaks.
run_without_display "unreachable DISPLAY" DISPLAY=:4711 ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

[ "$failures" -eq 0 ] && echo "every program minds its command line" || exit 1
