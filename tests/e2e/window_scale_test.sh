#!/usr/bin/env bash
# The real reader in a real window under Xvfb at device scale 3: the wheel scrolls the
# page, a button pressed with the keyboard alone opens the next page, and resizing the
# window changes the scale. What the window shows is read back with xwd.
# Usage: window_scale_test.sh QUIETHARBOUR QH_PLAY
set -u
if [ "${1:-}" != "--inside" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --inside "$@"
fi
reader="$2"; play="$3"
source "$(dirname "$0")/window_session.sh"
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT

# The story is left on paragraph 8 (a picture, text below the fold, then two buttons).
printf 'goto 8\nexit\n' > "$work/leave.play"
"$play" --state "$XDG_DATA_HOME" "$work/leave.play" > /dev/null
mv "$XDG_DATA_HOME/quietharbour" "$work/q" 2>/dev/null; mv "$work/q" "$XDG_DATA_HOME/quietharbour" 2>/dev/null
[ -e "$XDG_DATA_HOME/quietharbour/QTL2quietharbour.dat" ] || mv "$XDG_DATA_HOME"/QTL2quietharbour.dat "$XDG_DATA_HOME/quietharbour/" 2>/dev/null

# shot NAME: the window's pixels as a binary PPM.
shot() { xwd -silent -id "$win" | convert-im6 xwd:- "$work/$1.ppm"; cp "$work/$1.ppm" "${QH_SHOTS:-$work}/$1.ppm" 2>/dev/null; true; }
# measure NAME WHAT: a figure of a screenshot (python reads the PPM).
measure() {
  python3 - "$work/$1.ppm" "$2" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
parts, at = [], 0
while len(parts) < 4:
    while data[at:at+1].isspace(): at += 1
    if data[at:at+1] == b'#':
        at = data.index(b'\n', at)
        continue
    start = at
    while not data[at:at+1].isspace(): at += 1
    parts.append(data[start:at])
w, h = int(parts[1]), int(parts[2]); pix = data[at+1:]
px = lambda x, y: tuple(pix[3*(y*w+x):3*(y*w+x)+3])
what = sys.argv[2]
if what == 'size': print(w, h)
elif what == 'scale':          # the top bar is 26 logical pixels tall, found in the screen's middle column
    x = w // 2
    y = 0
    while y < h and px(x, y) == (64, 64, 64): y += 1   # the border above a centred screen
    top, colour = y, px(x, y)
    while y < h and px(x, y) == colour: y += 1
    print((y - top) // 26)
elif what == 'thumb':          # first row of the thumb's dark frame, right of the page
    s = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    best = -1
    for x in range(w - 1, w // 2, -1):
        rows = [y for y in range(h) if px(x, y) == (64, 64, 64)]
        if rows and len(rows) < h // 2: best = rows[0]; break
    print(best)
elif what == 'backtool':       # dark pixels where the back tool stands on the menu bar
    s = w // 240
    print(sum(1 for y in range(h - 24 * s, h - 2 * s) for x in range(150 * s, 175 * s) if sum(px(x, y)) < 150))
elif what == 'border':
    print(1 if px(2, h // 2) == (64, 64, 64) else 0)
PY
}

"$reader" --scale 3 &
pid=$!
wait_for_lock "$XDG_DATA_HOME/quietharbour/.QTL2quietharbour.dat.lock" $pid
win=""
for i in $(seq 50); do
  win=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  sleep 0.2
done
check "the window is shown" [ -n "$win" ]
sleep 1
shot start
check "the window is 720 x 960 at --scale 3" [ "$(measure start size)" = "720 960" ]
check "the screen is drawn at scale 3" [ "$(measure start scale)" = 3 ]

thumb0=$(measure start thumb)
xdotool mousemove --window "$win" 300 500 click 5
sleep 0.7
shot wheel
thumb1=$(measure wheel thumb)
check "the wheel moves the page and the thumb down ($thumb0 -> $thumb1)" [ "$thumb1" -gt "$thumb0" ]
xdotool click 4
sleep 0.7
shot wheel-up
check "the wheel turned back brings the thumb back ($(measure wheel-up thumb))" [ "$(measure wheel-up thumb)" = "$thumb0" ]

xdotool windowfocus --sync "$win" 2>/dev/null
xdotool key --window "$win" Tab
sleep 0.5
shot focus
xdotool key --window "$win" Return
sleep 0.8
shot pressed
differ() { ! cmp -s "$1" "$2"; }
check "Tab and Return open another page" differ "$work/focus.ppm" "$work/pressed.ppm"
check "the page opened is a side page, with the back tool shown" [ "$(measure focus backtool)" = 0 -a "$(measure pressed backtool)" -gt 20 ]
xdotool key --window "$win" Escape
sleep 0.8
shot back
check "Escape is the back tool: the story page is shown again" [ "$(measure back backtool)" = 0 ]

xdotool windowsize "$win" 480 640
sleep 1
shot small
check "a 480 x 640 window draws at scale 2" [ "$(measure small scale)" = 2 ]
xdotool windowsize "$win" 800 1000
sleep 1
shot large
check "an 800 x 1000 window draws at scale 3" [ "$(measure large scale)" = 3 ]
check "with a neutral border round the centred screen" [ "$(measure large border)" = 1 ]

kill -TERM $pid
wait $pid
check "the reader ends normally" [ $? = 0 ]
echo "$failures failures"
[ "$failures" = 0 ]
