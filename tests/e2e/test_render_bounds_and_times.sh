#!/usr/bin/env bash
# scenepack render of packages at the edges of what the format holds:
# 1. Byte arrays (music, pictures, sounds) stored with the first index 7, or -2147483648,
#    instead of 0 load and render exactly the frames of the same show stored from 0; inspect
#    names the bound.
# 2. A negative display time (-1, -2147483648) holds each scene for one yield only: the scenes
#    follow one another at once, and the render still ends at --until-ms.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
scenepack=$build/tools/scenepack/scenepack
for tool in convert python3 timeout cmp; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done
[ -x "$scenepack" ] || { echo "FAIL: $scenepack is not built"; exit 1; }
[ -x "$player" ] || { echo "FAIL: $player is not built"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
fail() { echo "FAIL: $*" >&2; exit 1; }
# The colour in the middle of a frame, as #RRGGBB.
middle() { convert "$1" -crop 1x1+160+120 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }

convert -size 320x240 xc:'#c03030' "$work/red.bmp"
convert -size 320x240 xc:'#3030c0' "$work/blue.bmp"
printf 'RIFF' >"$work/tick.wav"
printf 'MThd' >"$work/tune.mid"
scenes=(--music "$work/tune.mid" --scene "$work/red.bmp:$work/tick.wav" --scene "$work/blue.bmp")

# 1. Lower bounds.
for bound in 0 7 -2147483648; do
  python3 "$here/make_saver.py" "$player" "$work/bound$bound.scr" --display-ms 1000 --effect 23 \
    --lower-bound="$bound" "${scenes[@]}"
  timeout 120 "$scenepack" render "$work/bound$bound.scr" --out "$work/bound$bound" \
    --until-ms 2500 >"$work/says" 2>&1 || fail "render with lower bound $bound exited $?: $(cat "$work/says")"
done
"$scenepack" inspect "$work/bound7.scr" >"$work/inspect" || fail "inspect refused lower bound 7"
grep -q "lower bound 7" "$work/inspect" || fail "inspect does not name the bound: $(cat "$work/inspect")"
[ "$(middle "$work/bound0/frame-000001.png")" = "#C03030" ] || fail "the first scene is not red"
rows=$(($(wc -l <"$work/bound0/frames.csv") - 1))
[ "$rows" -gt 20 ] || fail "only $rows frames: the transition did not run"
for bound in 7 -2147483648; do
  cmp -s "$work/bound0/frames.csv" "$work/bound$bound/frames.csv" ||
    fail "lower bound $bound changes the frames' timing"
  cmp -s "$work/bound0/audio.csv" "$work/bound$bound/audio.csv" ||
    fail "lower bound $bound changes the music and sounds"
  for frame in "$work"/bound0/frame-*.png; do
    cmp -s "$frame" "$work/bound$bound/$(basename "$frame")" ||
      fail "lower bound $bound: $(basename "$frame") differs"
  done
done
echo "render: lower bounds ok"

# 2. Negative display times, with a plain cut and with the centre zoom.
for time in -1 -2147483648; do
  python3 "$here/make_saver.py" "$player" "$work/cut$time.scr" --display-ms="$time" "${scenes[@]}"
  timeout 120 "$scenepack" render "$work/cut$time.scr" --out "$work/cut$time" --until-ms 20 \
    >"$work/says" 2>&1 || fail "render of display time $time exited $?: $(cat "$work/says")"
  # Frame 1 is the first scene; every step after it cuts to the other scene at once.
  for frame in 1 2 3 4; do
    want='#C03030'
    ((frame % 2 == 0)) && want='#3030C0'
    got=$(middle "$(printf '%s/cut%s/frame-%06d.png' "$work" "$time" "$frame")")
    [ "$got" = "$want" ] || fail "display time $time: frame $frame is $got, not $want"
  done
  first_cut=$(sed -n 4p "$work/cut$time/frames.csv" | cut -d, -f2)
  [ "$first_cut" -le 1 ] || fail "display time $time: the first cut came at $first_cut ms"
  last=$(tail -1 "$work/cut$time/frames.csv" | cut -d, -f2)
  [ "$last" -le 21 ] || fail "display time $time: the render ran on to $last ms"

  python3 "$here/make_saver.py" "$player" "$work/zoom$time.scr" --display-ms="$time" --effect 23 \
    "${scenes[@]}"
  timeout 120 "$scenepack" render "$work/zoom$time.scr" --out "$work/zoom$time" --until-ms 3000 \
    --no-png >"$work/says" 2>&1 || fail "render of display time $time with the zoom exited $?"
  # 21 steps of 40 ms each: with no hold, the zooms follow one another back to back, the first
  # starting at once.
  [ "$(sed -n 4p "$work/zoom$time/frames.csv" | cut -d, -f2)" -le 1 ] ||
    fail "display time $time: the first zoom did not start at once"
  zooms=$(($(wc -l <"$work/zoom$time/frames.csv") / 21))
  [ "$zooms" -ge 3 ] || fail "display time $time: only $zooms zooms in 3 s"
done
echo "render: negative display times ok"
