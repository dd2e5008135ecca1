#!/usr/bin/env bash
# Starts the real program headless, checks that a second instance exits at once,
# then asks the first to close with SIGTERM and expects the orderly exit code 0.
set -u
exe=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"

"$exe" &
first=$!
sleep 1.5
if ! kill -0 "$first" 2>/dev/null; then
  wait "$first"; echo "first instance ended early with code $?"; exit 1
fi

start=$(date +%s%N)
timeout 10 "$exe"
second=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
if [ "$second" -ne 0 ]; then echo "second instance exited with $second"; kill -9 "$first"; exit 1; fi
if [ "$elapsed_ms" -gt 3000 ]; then echo "second instance took ${elapsed_ms} ms to leave"; kill -9 "$first"; exit 1; fi

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
