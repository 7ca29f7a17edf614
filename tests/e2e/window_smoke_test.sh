#!/usr/bin/env bash
# The real reader in a real window under Xvfb: it starts, a second reader started
# beside it exits with code 1, and SIGTERM ends it through WM_CLOSE with the save file
# written. Usage: window_smoke_test.sh QUIETHARBOUR
set -u
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a bash "$0" --inside "$1"
fi
reader="$2"
source "$(dirname "$0")/window_session.sh"
trap 'rm -rf "$work"' EXIT

"$reader" --scale 1 &
first=$!
lock="$XDG_DATA_HOME/quietharbour/.QTL2quietharbour.dat.lock"
wait_for_lock "$lock" $first
sleep 0.5
check "the reader is running" kill -0 $first
"$reader" --scale 1
check "a second reader exits with 1" [ $? = 1 ]
kill -TERM $first
wait $first
check "SIGTERM ends the reader normally" [ $? = 0 ]
check "the save file is written" [ "$(stat -c %s "$XDG_DATA_HOME/quietharbour/QTL2quietharbour.dat" 2>/dev/null)" = 2544 ]
echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
