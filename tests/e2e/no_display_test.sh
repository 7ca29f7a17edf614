#!/usr/bin/env bash
# The reader with no display to show a window on: it must not run unseen, but say so
# and end with exit code 2; a video driver asked for by name is still used.
# Usage: no_display_test.sh QUIETHARBOUR
set -u
reader="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" SDL_AUDIODRIVER=dummy
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
failures=0
timeout 10 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$reader" > "$work/out" 2> "$work/err"
code=$?
[ $code = 2 ] || { echo "FAILED: exit code $code, not 2"; failures=$((failures + 1)); }
grep -q "there is no display" "$work/err" || { echo "FAILED: no word of the missing display:"; cat "$work/err"; failures=$((failures + 1)); }
grep -q "qh-play runs the reader without one" "$work/err" || { echo "FAILED: qh-play is not named"; failures=$((failures + 1)); }
[ ! -e "$XDG_DATA_HOME/quietharbour/QTL2quietharbour.dat" ] || { echo "FAILED: a save file was made"; failures=$((failures + 1)); }
# A display that is named but does not answer is named in the message.
timeout 10 env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:93 "$reader" > "$work/out" 2> "$work/err"
code=$?
[ $code = 2 ] || { echo "FAILED: with DISPLAY=:93 the exit code is $code, not 2"; failures=$((failures + 1)); }
grep -q "the display DISPLAY=:93 could not be opened" "$work/err" ||
  { echo "FAILED: the display that could not be opened is not named:"; cat "$work/err"; failures=$((failures + 1)); }
# Asked for by name, the dummy driver runs the reader (until the timeout ends it).
timeout 2 env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=dummy "$reader" > /dev/null 2> "$work/err2"
code=$?
[ $code = 124 ] || { echo "FAILED: with SDL_VIDEODRIVER=dummy the reader ended with $code"; cat "$work/err2"; failures=$((failures + 1)); }
echo "$failures failures"
[ "$failures" = 0 ]
