#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The game as a packager and a desktop see it: installed into a scratch prefix,
# started from / (so only its own lookup can find its data), played from the
# splash to the title and closed, without writing a byte into the prefix; its
# desktop entry, AppStream file, icons and man pages checked by the desktop's
# own validators; its window's class and icon read on a real X server; and
# the Debian package built, listed and passed by lintian without an error or
# a warning. The prefix has a space in it, as a user's folder may.
#
#   installed_test.sh BUILD-DIR APP-ID [HARDENED]
#
# HARDENED OFF (a sanitizer build, whose package nobody ships) leaves out the
# checks of the shipped programs' hardening and lintian.
set -u
build=$1
app_id=$2
hardened=${3:-ON}
scratch=$(mktemp -d)
xvfb_pid=""
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
prefix="$scratch/pre fix"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
# Width and height from a PNG's header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
snapshot() { (cd "$prefix" && find . -printf '%p %y %s %m %T@\n' | sort); }

# ---- install ------------------------------------------------------------------
if ! cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  sed 's/^/  /' "$scratch/install.log" | tail -20
  echo "FAIL: cmake --install"
  exit 1
fi
missing=""
for f in games/tallyfold games/tallyfold-engine games/tallyfold-pak share/doc/tallyfold/copyright share/doc/tallyfold/changelog.gz \
  share/tallyfold/resources/data.pak share/tallyfold/text/gametext.txt share/tallyfold/default.ini \
  share/tallyfold/graphics/icon.png share/tallyfold/fonts/Carlito-OFL.txt \
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
  "share/icons/hicolor/scalable/apps/$app_id.svg" \
  share/man/man6/tallyfold.6.gz share/man/man1/tallyfold-engine.1.gz share/man/man1/tallyfold-pak.1.gz \
  share/man/man5/tallyfold-puzzle.5.gz; do
  [ -f "$prefix/$f" ] || missing="$missing $f"
done
for s in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${s}x${s}/apps/$app_id.png"
  if [ ! -f "$icon" ]; then missing="$missing ${icon#"$prefix"/}"
  elif [ "$(png_size "$icon")" != "${s}x${s}" ]; then fail "$icon is $(png_size "$icon"), not ${s}x${s}"; fi
done
[ -z "$missing" ] && ok "installed every file" || fail "not installed:$missing"
[ -e "$prefix/games/data" ] && fail "a data tree beside the installed program would hide the installed one"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$app_id.svg" || fail "the scalable icon is no SVG"

# ---- validators ---------------------------------------------------------------------
desktop-file-validate "$prefix/share/applications/$app_id.desktop" && ok "desktop entry valid" ||
  fail "desktop-file-validate"
grep -qx "StartupWMClass=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "StartupWMClass is not $app_id"
grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "Icon is not $app_id"
# Quoted, as the desktop entry rules ask for a path with a space.
grep -qx "Exec=\"$prefix/games/tallyfold\"" "$prefix/share/applications/$app_id.desktop" ||
  fail "the desktop entry does not start $prefix/games/tallyfold: $(grep '^Exec=' "$prefix/share/applications/$app_id.desktop")"
# Pedantic notes fail too: the file is ours and can be clean.
if appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app_id.metainfo.xml" >"$scratch/as.txt" 2>&1 &&
  ! grep -q '^[EWIP]:' "$scratch/as.txt"; then
  ok "AppStream metadata valid"
else
  sed 's/^/  /' "$scratch/as.txt"
  fail "appstreamcli validate"
fi
# The tree as a whole: the metadata, its desktop entry and its icon agree.
appstreamcli validate-tree --no-net "$prefix" >"$scratch/tree.txt" 2>&1 && ok "installed tree valid" || {
  sed 's/^/  /' "$scratch/tree.txt"
  fail "appstreamcli validate-tree"
}
for page in man6/tallyfold.6 man1/tallyfold-engine.1 man1/tallyfold-pak.1 man5/tallyfold-puzzle.5; do
  warnings=$(zcat "$prefix/share/man/$page.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page: $warnings"
  zcat "$prefix/share/man/$page.gz" | grep -q '@[A-Z_]*@' && fail "$page has an unfilled placeholder"
done
ok "man pages checked"

# ---- the installed programs, started from / -------------------------------------------
before=$(snapshot)
export XDG_DATA_HOME=$scratch/data XDG_RUNTIME_DIR=$scratch/run HOME=$scratch/home
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
shared="$XDG_DATA_HOME/Vellacor Games/Tallyfold"

(cd / && "$prefix/games/tallyfold-engine" generate 6 6 1 --seed 3) >"$scratch/engine.txt" 2>&1 &&
  [ "$(grep -c '^[1-9#]\( [1-9#]\)\{5\}$' "$scratch/engine.txt")" -eq 6 ] && ok "tallyfold-engine generates" ||
  fail "tallyfold-engine: $(head -3 "$scratch/engine.txt")"
(cd / && "$prefix/games/tallyfold-pak" list "$prefix/share/tallyfold/resources/data.pak") | grep -q '^calibri.ttf ' &&
  ok "tallyfold-pak lists the installed archive" || fail "tallyfold-pak list"

# Two clicks get past the splash whatever the timing (see the other start tests).
printf '%s\n' "wait 700" "click 790 10" "wait 500" "click 790 10" "wait 1400" "shot $scratch/title.png" "key f12" "wait 300" "close" \
  >"$scratch/script"
(cd / && TALLYFOLD_INPUT_SCRIPT=$scratch/script timeout 180 "$prefix/games/tallyfold") >"$scratch/game.txt" 2>&1
code=$?
if [ "$code" -ne 0 ]; then
  fail "the installed game ended with code $code"
  grep -v "^ALSA\|^AL lib" "$scratch/game.txt" | sed 's/^/  out: /' | tail -20
  [ -f "$shared/ErrorLog.txt" ] && sed 's/^/  log: /' "$shared/ErrorLog.txt"
else
  ok "the installed game started from / and ended with code 0"
fi
# A black or empty frame compresses to a few kilobytes; the title does not.
if [ ! -f "$scratch/title.png" ]; then fail "no screenshot of the title"
elif [ "$(stat -c %s "$scratch/title.png")" -lt 50000 ]; then fail "the title screenshot is nearly empty"
else mkdir -p "$build/test-artifacts" && cp "$scratch/title.png" "$build/test-artifacts/installed-title.png"; fi
for f in tallyfold.ini config.ini goodexit.dat; do
  [ -f "$shared/$f" ] || fail "no $f in the shared data folder"
done
[ -f "$shared/ErrorLog.txt" ] && fail "an error was logged: $(tr -d '\r' <"$shared/ErrorLog.txt")"
[ -s "$shared/tallyfold.ini" ] || fail "tallyfold.ini is empty"
# F12 on the title: the screenshot the manual promises, in the player's folder.
compgen -G "$shared/* screenshot.png" >/dev/null && ok "F12 took a screenshot" || fail "F12 took no screenshot"
[ "$(snapshot)" = "$before" ] && ok "nothing in the prefix changed" || {
  diff <(echo "$before") <(snapshot) | sed 's/^/  /' | head -20
  fail "the game wrote into the install prefix"
}

# ---- the window on a real X server ------------------------------------------------------
# The desktop pairs a window with its entry by the window's class; the icon is
# the program's own art.
if command -v Xvfb >/dev/null && command -v xprop >/dev/null && command -v xwininfo >/dev/null; then
  exec 8>"$scratch/display"
  Xvfb -displayfd 8 -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.txt" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
  display=":$(head -1 "$scratch/display")"
  rm -f "$scratch/script"
  mkfifo "$scratch/script"
  # In a sanitizer build, SDL's X11 driver leaves blocks of libdbus and of
  # libraries built without frame pointers at exit, with stacks too short for
  # a suppression to name; leaks are checked in every other run of the game.
  (cd / && env SDL_VIDEODRIVER=x11 DISPLAY="$display" TALLYFOLD_INPUT_SCRIPT=$scratch/script \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    "$prefix/games/tallyfold") >"$scratch/x11.txt" 2>&1 &
  pid=$!
  exec 9<>"$scratch/script"
  # On the title the window is the one the game keeps.
  printf '%s\n' "wait 700" "click 790 10" "wait 500" "click 790 10" "wait 1400" "shot $scratch/x11.png" >&9
  for _ in $(seq 1 1200); do
    [ -f "$scratch/x11.png" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  window=$(DISPLAY=$display xwininfo -root -tree 2>/dev/null | awk '/"Tallyfold"/ {print $1; exit}')
  if [ -z "$window" ]; then
    fail "no Tallyfold window on the title on the X server"
    sed 's/^/  out: /' "$scratch/x11.txt" | tail -10
  else
    class=$(DISPLAY=$display xprop -id "$window" WM_CLASS)
    [ "$class" = "WM_CLASS(STRING) = \"$app_id\", \"$app_id\"" ] && ok "window class $app_id" ||
      fail "window class: $class"
    # xprop draws the icon as text under a line with its size.
    icon=$(DISPLAY=$display xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | head -1)
    [ "$icon" = "Icon (128 x 128)" ] && ok "window icon 128x128" || fail "window icon: '$icon'"
  fi
  printf 'close\n' >&9
  for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then fail "the game on X did not end after its close request"; else
    wait "$pid" || fail "the game on X ended with code $?"
  fi
  pid=""
  exec 9>&-
else
  fail "Xvfb, xprop or xwininfo missing (scripts/setup.sh installs them)"
fi

# ---- the Debian package ---------------------------------------------------------------
if (cd "$build" && cpack -G DEB -B "$scratch/deb" >"$scratch/cpack.txt" 2>&1); then
  deb=$(ls "$scratch"/deb/*.deb 2>/dev/null | head -1)
  if [ -z "$deb" ]; then fail "cpack made no .deb"; else
    dpkg-deb -I "$deb" >"$scratch/info.txt" && dpkg-deb -c "$deb" >"$scratch/contents.txt" || fail "dpkg-deb cannot read $deb"
    echo "---- $(basename "$deb")"
    sed 's/^/  /' "$scratch/info.txt"
    depends=$(sed -n 's/^ Depends: //p' "$scratch/info.txt")
    for lib in libsdl2 libsdl2-image libopenal libfreetype libvorbisfile libc6; do
      echo "$depends" | grep -q "$lib" || fail "the package does not depend on $lib ($depends)"
    done
    grep -q '^ Section: games$' "$scratch/info.txt" || fail "the package is not in section games"
    for f in ./usr/games/tallyfold ./usr/games/tallyfold-engine ./usr/games/tallyfold-pak \
      ./usr/share/doc/tallyfold/copyright ./usr/share/doc/tallyfold/changelog.gz \
      ./usr/share/tallyfold/resources/data.pak "./usr/share/applications/$app_id.desktop" \
      "./usr/share/metainfo/$app_id.metainfo.xml" "./usr/share/icons/hicolor/256x256/apps/$app_id.png" \
      "./usr/share/icons/hicolor/scalable/apps/$app_id.svg" ./usr/share/man/man6/tallyfold.6.gz; do
      grep -q " $f\$" "$scratch/contents.txt" || fail "the package lacks $f"
    done
    exec_line=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/share/applications/$app_id.desktop" | grep '^Exec=')
    [ "$exec_line" = "Exec=/usr/games/tallyfold" ] || fail "the packaged desktop entry has $exec_line"
    echo "$depends" | grep -q "fonts-crosextra-carlito" || fail "the package does not depend on the font's package"
    if [ "$hardened" = ON ]; then
      # The programs as shipped: stripped, and built with the distribution's hardening.
      dpkg-deb -x "$deb" "$scratch/unpacked"
      for program in usr/games/tallyfold usr/games/tallyfold-engine usr/games/tallyfold-pak; do
        elf="$scratch/unpacked/$program"
        file -b "$elf" | grep -q ', stripped' || fail "$program is not stripped: $(file -b "$elf")"
        readelf -h "$elf" | grep -q 'Type: *DYN' || fail "$program is not position-independent"
        readelf -l "$elf" | grep -q GNU_RELRO || fail "$program has no RELRO segment"
        readelf -d "$elf" | grep -Eq 'BIND_NOW|FLAGS_1.*NOW' || fail "$program is not linked with -z now"
        readelf --dyn-syms -W "$elf" | grep -q '__stack_chk_fail' || fail "$program has no stack protector"
      done
      # Fortified: the game reads and formats enough to call checked functions (lintian
      # below judges the tools, whose copies the compiler sees to be in bounds).
      readelf --dyn-syms -W "$scratch/unpacked/usr/games/tallyfold" | grep -q '__[a-z]*_chk@' ||
        fail "the game calls no fortified function"
      # A distribution's own checks: no error, no warning.
      if command -v lintian >/dev/null; then
        if lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1; then
          ok "lintian: $(grep -c . "$scratch/lintian.txt") notes, no error or warning"
        else
          sed 's/^/  /' "$scratch/lintian.txt"
          fail "lintian found errors or warnings"
        fi
      else
        fail "lintian missing (scripts/setup.sh installs it)"
      fi
    else
      echo "skipped: hardening and lintian (a build without hardening)"
    fi
    # Exactly what cmake --install puts in a prefix, under /usr.
    diff <(cd "$prefix" && find . ! -type d | sort) \
      <(awk '$1 !~ /^d/ {print $6}' "$scratch/contents.txt" | sed 's|^\./usr/|./|' | sort) >"$scratch/diff.txt" ||
      fail "the package and the install differ: $(head -5 "$scratch/diff.txt")"
    grep -v '^d' "$scratch/contents.txt" | awk '{print $2}' | grep -qv '^root/root$' && fail "files not owned by root"
    echo "  $(grep -vc '^d' "$scratch/contents.txt") files, $(stat -c %s "$deb") bytes"
  fi
else
  sed 's/^/  /' "$scratch/cpack.txt" | tail -20
  fail "cpack -G DEB"
fi

[ "$failures" -eq 0 ] && echo "installed game, desktop files and package all right" || exit 1
