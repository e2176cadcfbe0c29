#!/usr/bin/env bash
# The player's start-up in a real X server: "/C" on a package without settings shows its
# message box with the Japanese text drawn; "/S" extracts into a new tempN folder, a second
# start meanwhile ends at once, and nothing is left behind; "--help" ends at once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
player=${BUILD_DIR:-$here/../../build}/startup/scenesaver
for tool in xvfb-run xdotool import convert python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 0; }
done
[ -x "$player" ] || { echo "skip: $player is not built"; exit 0; }

work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
private=$XDG_RUNTIME_DIR/scenesaver

convert -size 320x240 xc:'#3060c0' "$work/scene.jpg"
printf 'RIFF' > "$work/ding.wav"
python3 "$here/make_saver.py" "$player" "$work/plain.scr"
python3 "$here/make_saver.py" "$player" "$work/show.scr" --scene "$work/scene.jpg:$work/ding.wav"

fail() { echo "FAIL: $*"; exit 1; }

# Anything but the four switches: no window, ends at once.
timeout 5 "$work/plain.scr" --help || fail "--help did not end cleanly"

cat > "$work/in_x.sh" <<'INNER'
set -euo pipefail
work=$1
fail() { echo "FAIL: $*"; exit 1; }

# /C without settings offered: the message box, centred, with its text drawn.
"$work/plain.scr" /C & pid=$!
win=$(timeout 15 xdotool search --sync --name '^スクリーンセーバー$' | head -n1) \
  || fail "no message box titled スクリーンセーバー"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
import -window root "$work/screen.png"
# The message sits left of centre above the button row; measure how much of that band is ink.
convert "$work/screen.png" -crop "${WIDTH}x$((HEIGHT / 2))+${X}+${Y}" +repage \
  -colorspace Gray -threshold 50% -negate -format '%[fx:mean]' info: > "$work/ink"
ink=$(cat "$work/ink")
python3 -c "import sys; sys.exit(0 if 0.005 < float(sys.argv[1]) < 0.5 else 1)" "$ink" \
  || fail "message text region looks blank (ink $ink)"
xdotool windowfocus --sync "$win" key Return
timeout 10 tail --pid=$pid -f /dev/null || fail "/C did not end after OK"
wait $pid || fail "/C ended with status $?"

# /S: a new tempN holding the scene's files while the show runs; a second start ends at once.
"$work/show.scr" /S & pid=$!
seen=""
for _ in $(seq 100); do
  if [ -f "$XDG_RUNTIME_DIR/scenesaver/temp1/scene.jpg" ]; then seen=yes; break; fi
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if [ -n "$seen" ]; then
  cmp "$work/scene.jpg" "$XDG_RUNTIME_DIR/scenesaver/temp1/scene.jpg" || fail "picture differs"
  cmp "$work/ding.wav" "$XDG_RUNTIME_DIR/scenesaver/temp1/ding.wav" || fail "sound differs"
  timeout 3 "$work/plain.scr" /C || fail "second instance did not end at once"
  xdotool search --name '^スクリーンセーバー$' >/dev/null 2>&1 && fail "second instance showed a window"
  sleep 1
  xdotool mousemove_relative 5 5
  sleep 0.5
  xdotool key Escape
else
  echo "note: the show ended before its folder could be looked at"
fi
timeout 20 tail --pid=$pid -f /dev/null || { kill $pid; fail "/S did not end on input"; }
wait $pid || fail "/S ended with status $?"
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/in_x.sh" "$work"

leftover=$(find "$private" -mindepth 1 -maxdepth 1 -name 'temp*' | wc -l)
[ "$leftover" -eq 0 ] || fail "tempN left behind: $(ls "$private")"
echo "startup: ok"
