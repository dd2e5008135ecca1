#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The house rules a maintainer can count, checked in CI: the tree is formatted as
# .clang-format says, few globals, no giant files or functions, and no include
# circle where one would tie the screens or the widgets back to the game object.
# Needs clang-format and universal-ctags (scripts/setup.sh installs both).
set -uo pipefail
cd "$(dirname "$0")/.."
failed=0
fail() { echo "check-style: $*" >&2; failed=1; }

mapfile -t sources < <(git ls-files '*.cpp' '*.h')

if ! clang-format --dry-run -Werror "${sources[@]}" 2>/tmp/check-style-format.$$; then
  head -40 /tmp/check-style-format.$$ >&2
  fail "files differ from .clang-format: run  clang-format -i \$(git ls-files '*.cpp' '*.h')"
fi
rm -f /tmp/check-style-format.$$

# Global variables in the headers of the program (tests may keep their own).
externs=$(grep -rn '^\s*extern ' --include=*.h engine platform framework game | grep -v 'extern "C"')
count=$(printf '%s' "$externs" | grep -c . || true)
if [ "$count" -gt 12 ]; then
  printf '%s\n' "$externs" >&2
  fail "$count extern variables in headers, at most 12"
fi

# No source file over 800 lines.
while read -r lines file; do
  [ "$file" = total ] && continue
  [ "$lines" -gt 800 ] && fail "$file has $lines lines, at most 800"
done < <(wc -l "${sources[@]}")

# No function over 80 lines in the game and the framework.
long=$(ctags -R --languages=C++ --kinds-C++=f --fields=+ne -o - game framework |
  awk -F'\t' '{l="";e=""; for(i=4;i<=NF;i++){if($i~/^line:/)l=substr($i,6); if($i~/^end:/)e=substr($i,5)}
              if(e!="" && e-l+1>80) print $2": "$1" has "e-l+1" lines"}')
[ -n "$long" ] && fail "functions over 80 lines:"$'\n'"$long"

# Include circles among the game's screens, with a file and its header as one module.
edges() {
  for f in "$@"; do
    from=${f%.*}
    grep -ho '^#include "[^"]*"' "$f" | sed 's/#include "\(.*\)"/\1/' | while read -r inc; do
      to=${inc%.*}
      [ "$to" != "$from" ] && [ -e "$inc" ] && case $inc in "$prefix"*) echo "$from $to" ;; esac
    done
    echo "$from $from"
  done
}
prefix=game/screens/
if ! edges game/screens/*.cpp game/screens/*.h | tsort >/dev/null 2>/tmp/check-style-tsort.$$; then
  cat /tmp/check-style-tsort.$$ >&2
  fail "include circle in game/screens"
fi
rm -f /tmp/check-style-tsort.$$

# Widgets are handed what they need: none reaches back for the game object.
bad=$(grep -ln '#include "framework/core/\(game\|globals\)\.h"' framework/widgets/*.cpp framework/widgets/*.h 2>/dev/null)
[ -n "$bad" ] && fail "widgets that include the game object:"$'\n'"$bad"

[ "$failed" -eq 0 ] && echo "check-style: formatting, globals ($count), file and function sizes and include circles are in order"
exit "$failed"
