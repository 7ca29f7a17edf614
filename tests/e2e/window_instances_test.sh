#!/usr/bin/env bash
# Real readers in windows under Xvfb. A live preview (its own save folder) and the
# reader run side by side without answering for each other: a second reader of the
# reader's folder brings that reader forward and says so, before and after the preview
# ends. On a machine whose sound device cannot be opened, sound is said to be
# unavailable once, and later cues add nothing to standard error.
# Usage: window_instances_test.sh QUIETHARBOUR TEST_BOOK
set -u
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a bash "$0" --inside "$@"
fi
reader="$2"; book="$3"
source "$(dirname "$0")/window_session.sh"
trap 'kill $(jobs -p) 2> /dev/null; rm -rf "$work"' EXIT
sockets() { find "$XDG_RUNTIME_DIR" -name '*.sock' | wc -l; }

# The preview first: it listens for its own folder.
"$reader" --scale 1 --book "$book" --state "$work/preview" &
preview=$!
wait_for_lock "$work/preview/quietharbour/.QTL2quietharbour.dat.lock" $preview
for _ in $(seq 100); do [ "$(sockets)" = 1 ] && break; sleep 0.1; done

"$reader" --scale 1 &
first=$!
wait_for_lock "$XDG_DATA_HOME/quietharbour/.QTL2quietharbour.dat.lock" $first
for _ in $(seq 100); do [ "$(sockets)" = 2 ] && break; sleep 0.1; done
check "the reader listens beside the preview" [ "$(sockets)" = 2 ]

timeout 10 "$reader" --scale 1 2> "$work/err"
check "a second reader exits with 1" [ $? = 1 ]
check "a second reader says the save is held" grep -q "is held by another reader" "$work/err"
check "a second reader brought the reader forward" grep -q "it was brought to the front" "$work/err"

kill -TERM $preview
wait $preview
timeout 10 "$reader" --scale 1 2> "$work/err"
check "after the preview, a second reader exits with 1" [ $? = 1 ]
check "after the preview, the reader is still found" grep -q "it was brought to the front" "$work/err"
kill -TERM $first
wait $first
check "the reader ends normally" [ $? = 0 ]

# Sound through a library whose device cannot be opened: a cue, then the same page
# built again after the source changed (the preview reloads it), which plays it again.
cp "$book" "$work/book.book"; cp -r "$(dirname "$book")/art" "$work/"
SDL_AUDIODRIVER=alsa "$reader" --scale 1 --book "$work/book.book" --state "$work/sound" \
  --goto 8 2> "$work/sound.err" &
sounding=$!
wait_for_lock "$work/sound/quietharbour/.QTL2quietharbour.dat.lock" $sounding
sleep 2
# Each reload reports the book's checks again; what the sound says is everything else.
sound_lines() { grep -vc "^$work/book.book:" "$work/sound.err"; }
first_lines=$(sound_lines)
printf '\n# changed\n' >> "$work/book.book"
sleep 3
echo '# again' >> "$work/book.book"
sleep 3
kill -TERM $sounding
wait $sounding
unavailable=$(grep -c "sound is unavailable" "$work/sound.err")
check "sound unavailable is said at most once" [ "$unavailable" -le 1 ]
check "the sound library adds no lines of its own" [ "$(grep -c "^ALSA lib" "$work/sound.err")" = 0 ]
check "later cues add nothing to standard error" [ "$(sound_lines)" = "$first_lines" ]
[ "$failures" = 0 ] || cat "$work/sound.err"

echo "$passed passed, $failures failed"
[ "$failures" = 0 ]
