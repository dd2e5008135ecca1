#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program headless, checks that a second instance on the same
# data folder exits at once saying so (even with a runtime folder of its own),
# that what an interrupted save left was cleared, then asks the first to close
# with SIGTERM and expects the orderly exit code 0.
set -u
exe=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"

shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"
mkdir -p "$shared/profiles"
printf 'partial' >"$shared/.tallyfold.ini.Xy12Ab"
printf 'partial' >"$shared/profiles/.mine.dat.a1b2c3"
printf 'mine' >"$shared/profiles/mine.dat"

"$exe" &
first=$!
sleep 1.5
if ! kill -0 "$first" 2>/dev/null; then
  wait "$first"; echo "first instance ended early with code $?"; exit 1
fi

for leftover in "$shared/.tallyfold.ini.Xy12Ab" "$shared/profiles/.mine.dat.a1b2c3"; do
  if [ -e "$leftover" ]; then echo "$leftover was left behind"; kill -9 "$first"; exit 1; fi
done
if [ "$(cat "$shared/profiles/mine.dat")" != mine ]; then echo "a save game changed"; kill -9 "$first"; exit 1; fi

mkdir -p "$scratch/run2" && chmod 700 "$scratch/run2"
start=$(date +%s%N)
XDG_RUNTIME_DIR=$scratch/run2 timeout 10 "$exe" 2>"$scratch/second.txt"
second=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
if [ "$second" -ne 0 ]; then echo "second instance exited with $second"; kill -9 "$first"; exit 1; fi
if [ "$elapsed_ms" -gt 3000 ]; then echo "second instance took ${elapsed_ms} ms to leave"; kill -9 "$first"; exit 1; fi
if ! grep -q "Tallyfold is already running" "$scratch/second.txt"; then
  echo "the second instance did not say why it left: $(cat "$scratch/second.txt")"; kill -9 "$first"; exit 1
fi
if ! kill -0 "$first" 2>/dev/null; then echo "the first instance died when asked to the front"; exit 1; fi

kill -TERM "$first"
for _ in $(seq 1 100); do
  kill -0 "$first" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$first" 2>/dev/null; then echo "first instance ignored SIGTERM"; kill -9 "$first"; exit 1; fi
wait "$first"
code=$?
if [ "$code" -ne 0 ]; then echo "first instance exited with $code after SIGTERM"; exit 1; fi
echo "smoke test passed"
