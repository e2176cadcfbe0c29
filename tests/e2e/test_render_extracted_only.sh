#!/usr/bin/env bash
# The show reads media only where extraction wrote them. A scene whose picture is stored as
# "../../outside.bmp" (no data) renders its file-not-found failure, never the picture that
# waits at that path outside the temporary folder; a stored name that a FIFO occupies by the
# time the show reads it fails at once instead of hanging the show.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
scenepack=$build/tools/scenepack/scenepack
for tool in convert python3 timeout xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -x "$scenepack" ] || { echo "FAIL: $scenepack is not built"; exit 1; }
[ -x "$player" ] || { echo "FAIL: $player is not built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR/scenesaver" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/scenesaver"
fail() { echo "FAIL: $*" >&2; cat "$work/says" 2>/dev/null || true; exit 1; }

convert -size 320x240 xc:'#3060c0' "$work/good.bmp"
# What "../../outside.bmp" names from inside the temporary folder run/scenesaver/tempN/.
convert -size 320x240 xc:'#ff0000' "$XDG_RUNTIME_DIR/outside.bmp"
python3 "$here/make_saver.py" "$player" "$work/outside.scr" --scene "$work/good.bmp" \
  --named-scene "../../outside.bmp"
timeout 60 "$scenepack" render "$work/outside.scr" --out "$work/out" --until-ms 3000 \
  >"$work/says" 2>&1 || fail "render exited $?"
grep -q "outside.bmp': it was not extracted" "$work/says" || fail "no file-not-found failure"
red=0
for frame in "$work"/out/frame-*.png; do
  if [ "$(convert "$frame" -crop 1x1+160+120 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)" = "#FF0000" ]; then
    red=$((red + 1))
  fi
done
[ "$red" -eq 0 ] || fail "$red frames show the picture from outside the temporary folder"
[ -f "$XDG_RUNTIME_DIR/outside.bmp" ] || fail "the outside picture was removed"
echo "extracted only: ../../outside.bmp ok"

# A FIFO in place of an extracted picture: the player (in a real X server, on the real clock)
# is held up by nothing. The second picture is replaced by a FIFO the moment its file appears;
# when its scene comes, the failure message appears at once.
python3 "$here/make_saver.py" "$player" "$work/fifo.scr" --display-ms 1500 \
  --scene "$work/good.bmp" --scene "$XDG_RUNTIME_DIR/outside.bmp"
cat >"$work/fifo_in_x.sh" <<'INNER'
set -uo pipefail
work=$1
private=$XDG_RUNTIME_DIR/scenesaver
"$work/fifo.scr" /S &
pid=$!
swapped=
for _ in $(seq 400); do
  target=$(compgen -G "$private/temp*/outside.bmp" | head -1) || true
  if [ -n "$target" ]; then
    rm -f "$target" && mkfifo "$target" && swapped=yes
    break
  fi
  sleep 0.005
done
[ -n "$swapped" ] || { kill -KILL "$pid"; echo "FAIL: the picture's file never appeared"; exit 1; }
dialog=
for _ in $(seq 60); do
  dialog=$(xdotool search --onlyvisible --name '^エラー$' 2>/dev/null | head -1) || true
  [ -n "$dialog" ] && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
[ -n "$dialog" ] || { echo "FAIL: the show hangs on a FIFO under a picture's name"; exit 1; }
# The clean-up leaves the planted FIFO alone (it never deletes what it did not write), and only it.
left=$(cd "$private" && find temp* 2>/dev/null | sort | xargs)
[ "$left" = "temp1 temp1/outside.bmp" ] || { echo "FAIL: left behind: $left"; exit 1; }
INNER
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash "$work/fifo_in_x.sh" "$work" ||
  fail "the FIFO run failed"
echo "extracted only: ok"
