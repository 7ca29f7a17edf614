#!/usr/bin/env bash
# The live preview opened with --goto N in a real window under Xvfb shows what qh-play
# shows on the same page, pixel for pixel: on the opening paragraph (where a reading
# starts, not its title splashes) and on a later page reached by the route qh-play
# finds, whose variables decide what the page shows (a book without warnings, so that
# no box stands over the page). The save folder of the first preview is left
# as the route left it. Usage: window_goto_test.sh QUIETHARBOUR QH_PLAY BOOK
set -u
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a bash "$0" --inside "$@"
fi
reader="$2"; play="$3"; book="$4"
source "$(dirname "$0")/window_session.sh"
pid=""
trap 'kill $pid 2>/dev/null; [ -n "${QH_SHOTS:-}" ] && cp "$work"/*.png "$QH_SHOTS"/; rm -rf "$work"' EXIT

# opened N SCRIPT: the preview's window on paragraph N against qh-play's screenshot
# after SCRIPT; both at scale 1, compared as pixels.
opened() {
  local n="$1" script="$2" state="$work/state-$1"
  "$reader" --scale 1 --book "$book" --state "$state" --goto "$n" 2> "$work/goto-$n.err" &
  pid=$!
  wait_for_lock "$state/quietharbour/.QTL2quietharbour.dat.lock" $pid
  local win=""
  for _ in $(seq 50); do
    win=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.2
  done
  sleep 1
  xwd -silent -id "$win" | convert-im6 xwd:- "$work/window-$n.png"
  kill -TERM $pid; wait $pid; pid=""
  printf '%s\nscreenshot %s\n' "$script" "$work/play-$n.png" | "$play" --book "$book" - > /dev/null
  local differ
  differ=$(compare-im6 -metric AE "$work/window-$n.png" "$work/play-$n.png" null: 2>&1)
  check "--goto $n shows what qh-play shows there ($differ pixels differ)" [ "$differ" = 0 ]
}

opened 2 'goto 2'
check "--goto 2 plays no route" [ "$(grep -c 'route to paragraph' "$work/goto-2.err")" = 0 ]

"$play" --book "$book" route 9 > "$work/route.play" 2> /dev/null
opened 9 "$(cat "$work/route.play")"
check "--goto 9 says the route it played" grep -q "route to paragraph 9: [0-9]* steps" "$work/goto-9.err"
[ "$failures" = 0 ]
