#!/usr/bin/env bash
# The show fitted to large and small screens, at the present only: on a 3840x2160 screen the
# 800x600 demo is drawn 3x, centred, each of its pixels an exact 3x3 block of the rendered
# frame's pixel; --scale=1 gives the rendered frame itself, centred; in a 320x200 window (an
# XScreenSaver preview) the whole show is visible, scaled down to 267x200 between black bars;
# a 1024x768 show on an 800x600 screen is scaled down whole; a show kept only in the shared
# image between presents comes back whole behind the password prompt and after it.
set -euo pipefail
build=${BUILD_DIR:-build}
scenepack=$build/tools/scenepack/scenepack
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in xvfb-run xdotool xev import convert compare; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
[ -x "$scenepack" ] && [ -f "$build/demo.scr" ] || fail "build first (scripts/build build)"
# Two X servers in turn: a 3840x2160 screen, then an 800x600 one.
if [ -z "${SCALING_E2E_IN_XVFB:-}" ]; then
  env SCALING_E2E_IN_XVFB=large xvfb-run -a -s "-noreset -screen 0 3840x2160x24" bash "$0" "$@"
  exec env SCALING_E2E_IN_XVFB=small xvfb-run -a -s "-noreset -screen 0 800x600x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"

# play_shot NAME CHECK ARGS...: plays the demo (or the saver $SHOW) with ARGS and takes the screen (or, with
# SHOT_WINDOW set, that window) as $work/NAME.png every 0.2 s until the command CHECK succeeds
# (the first scene is held 4 s) or 8 s pass; then ends the show. Fails with CHECK's last words.
play_shot() {
  local name=$1 check=$2 verdict=
  shift 2
  "$scenepack" play "${SHOW:-$build/demo.scr}" "$@" &
  pid=$!
  for _ in $(seq 40); do
    sleep 0.2
    kill -0 "$pid" 2>/dev/null || fail "$name: the show ended early"
    import -window "${SHOT_WINDOW:-root}" "$work/$name.png"
    verdict=$("$check" "$work/$name.png") && break
  done
  kill -TERM "$pid"
  wait "$pid" || true
  pid=
  [ -z "$verdict" ] || fail "$name: $verdict"
}

# differing IMAGE CROP REFERENCE: the number of pixels of IMAGE's CROP differing from REFERENCE.
differing() {
  convert "$1" -crop "$2" +repage "$work/area.png"
  compare -metric AE "$work/area.png" "$3" null: 2>&1 || true
}

if [ "$SCALING_E2E_IN_XVFB" = large ]; then
  # The first scene as the show draws it at its own size (held 4000 ms from the start).
  "$scenepack" render "$build/demo.scr" --out "$work/render" --until-ms 100 >/dev/null
  scene0=$work/render/frame-000001.png

  # 1. Three times, crisp, centred: (3840 - 2400) / 2 = 720, (2160 - 1800) / 2 = 180.
  convert "$scene0" -filter point -resize 300% "$work/scene0x3.png"
  check_auto() {
    local d corners
    d=$(differing "$1" 2400x1800+720+180 "$work/scene0x3.png")
    [ "$d" = "0" ] || { echo "the 3x area differs from the rendered frame in $d pixels"; return 1; }
    corners=$(convert "$1" -format '%[pixel:p{719,179}] %[pixel:p{3120,1980}]' info:)
    case $corners in "srgb(0,0,0) srgb(0,0,0)" | "gray(0) gray(0)") ;; *) echo "margins $corners"; return 1 ;; esac
  }
  play_shot auto check_auto

  # 2. 1:1: the rendered frame itself, centred.
  check_one() {
    local d
    d=$(differing "$1" 800x600+1520+780 "$scene0")
    [ "$d" = "0" ] || { echo "the centred area differs from the rendered frame in $d pixels"; return 1; }
  }
  play_shot one check_one --scale=1

  # 3. A 320x200 preview window: 800x600 scaled to 267x200 at x = 27, black bars either side.
  # The window is xev's; its own small child window at the top-left is left out of the checks.
  xev -geometry 320x200+0+0 >"$work/xev.out" &
  xev_pid=$!
  win=
  for _ in $(seq 50); do
    win=$(sed -n 's/^Outer window is \(0x[0-9a-f]*\).*/\1/p' "$work/xev.out" | head -1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || fail "xev made no window"
  # The scaled picture matches the frame shrunk by ImageMagick to within a small error.
  convert "$scene0" -resize 267x200! "$work/scene0small.png"
  convert "$work/scene0small.png" -crop 200x120+67+80 +repage "$work/scene0part.png"
  check_preview() {
    local w h bars error
    read -r w h < <(identify -format '%w %h\n' "$1")
    [ "$w $h" = "320 200" ] || { echo "window shot is ${w}x${h}"; return 1; }
    bars=$(convert "$1" -format '%[pixel:p{26,150}] %[pixel:p{294,150}]' info:)
    case $bars in "srgb(0,0,0) srgb(0,0,0)" | "gray(0) gray(0)") ;; *) echo "bars $bars"; return 1 ;; esac
    convert "$1" -crop 200x120+94+80 +repage "$work/previewarea.png"
    error=$(compare -metric RMSE "$work/previewarea.png" "$work/scene0part.png" null: 2>&1 |
      sed 's/.*(\(.*\))/\1/') || true
    awk -v e="$error" 'BEGIN { exit !(e < 0.05) }' || { echo "the scaled picture is off (RMSE $error)"; return 1; }
  }
  SHOT_WINDOW=$win play_shot preview check_preview --window-id "$win"
  kill "$xev_pid" 2>/dev/null || true

  echo "ok: 3840x2160"
  exit 0
fi

# 4. A 1024x768 show on an 800x600 screen: scaled down whole to 800x600
# (the same 4:3 shape), smoothly, not cropped.
convert -size 1024x768 gradient:'#ff2000-#0020ff' -fill white -draw 'rectangle 0,0 63,63' \
  -draw 'rectangle 960,704 1023,767' "$work/big.png"
python3 "$(dirname "$0")/make_saver.py" "$build/startup/scenesaver" "$work/big.scr" \
  --size 1024x768 --display-ms 60000 --scene "$work/big.png"
convert "$work/big.png" -resize 800x600! "$work/bigsmall.png"
check_fit() {
  local error
  error=$(compare -metric RMSE "$1" "$work/bigsmall.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/') ||
    true
  awk -v e="$error" 'BEGIN { exit !(e < 0.05) }' || { echo "not the whole show fitted (RMSE $error)"; return 1; }
}
SHOW=$work/big.scr play_shot fit check_fit

# 5. A 640x480 show sits whole at 1:1 on this screen, where the picture is kept only in the
# shared image between presents. After the first scene (red) has given way to green, the
# password prompt's backdrop and the screen after Escape show green, not the first picture.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 rgb:- | od -An -tu1 | xargs; }
convert -size 640x480 xc:'#ff0000' "$work/red.png"
convert -size 640x480 xc:'#00ff00' "$work/green.png"
python3 "$(dirname "$0")/make_saver.py" "$build/startup/scenesaver" "$work/colours.scr" \
  --size 640x480 --display-ms 3000 --scene "$work/red.png" --scene "$work/green.png" \
  --scene "$work/green.png"
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$XDG_CONFIG_HOME/scenesaver"
green='0 255 0'
"$work/colours.scr" /S &
pid=$!
until_pixel() {  # X Y COLOUR WHAT: waits up to 20 s
  for _ in $(seq 200); do
    [ "$(pixel "$1" "$2")" = "$3" ] && return
    kill -0 "$pid" 2>/dev/null || fail "the show ended waiting for $4"
    sleep 0.1
  done
  fail "no $4: pixel $1,$2 is $(pixel "$1" "$2")"
}
until_pixel 400 300 "$green" "second scene"
xdotool key BackSpace
until_pixel 124 194 "48 48 48" "password prompt"
[ "$(pixel 100 80)" = "$green" ] || fail "the prompt's backdrop is $(pixel 100 80), not the scene shown"
xdotool key Escape
until_pixel 400 300 "$green" "scene after the prompt"
kill -TERM "$pid"
wait "$pid" || true
pid=
echo "ok: 800x600"
