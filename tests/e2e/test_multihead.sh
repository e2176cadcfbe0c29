#!/usr/bin/env bash
# The show on a two-screen X server: "/S" shows the first scene on the primary screen and
# black on the other, a key pressed on the other screen ends it, and with the password value
# set no pixel of the desktop shows on either screen while the password prompt is up.
set -euo pipefail
build=${BUILD_DIR:-build}
saver=$build/demo.scr
scenepack=$build/tools/scenepack/scenepack
for tool in xvfb-run xdotool display import convert compare identify; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }

# -noreset: without it the server may reset whenever no client is connected, and the desktop
# colour put on the other screen's root window is gone before the show starts.
if [ -z "${MULTIHEAD_E2E_IN_XVFB:-}" ]; then
  exec env MULTIHEAD_E2E_IN_XVFB=1 xvfb-run -a \
    -s "-screen 0 1024x768x24 -screen 1 800x600x24 -noreset" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cp "$saver" "$work/demo.scr"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
shots=$build/e2e-shots
mkdir -p "$shots"
fail() { echo "FAIL: $*" >&2; exit 1; }

primary=${DISPLAY%.*}.0
other=${DISPLAY%.*}.1
# A desktop colour no scene of the demo uses, so that one visible desktop pixel is detectable.
desktop='#3d17c5'
# Pixels of the desktop colour in a screenshot.
desktop_pixels() {
  convert "$1" -fill black +opaque "$desktop" -fill white -opaque "$desktop" \
    -format '%[fx:round(mean*w*h)]' info:
}

# ImageMagick's display tiles the root windows with it (and exits with status 1 all the same).
convert -size 16x16 "xc:$desktop" "$work/desktop-tile.png"
display -display "$primary" -window root "$work/desktop-tile.png" || true
display -display "$other" -window root "$work/desktop-tile.png" || true

import -display "$other" -window root "$work/desktop.png"
[ "$(desktop_pixels "$work/desktop.png")" != "0" ] || fail "the desktop colour is not detectable"

"$scenepack" render "$work/demo.scr" --out "$work/render" --until-ms 0 >/dev/null
scene0=$work/render/frame-000001.png
read -r width height < <(identify -format '%w %h\n' "$scene0")
left=$(((1024 / 2) - (width / 2)))
top=$(((768 / 2) - (height / 2)))

# Starts "/S" with the pointer resting on the other screen; waits for the first scene.
start_show() {
  xdotool mousemove --screen 1 400 300
  "$work/demo.scr" /S &
  pid=$!
  local differing= other_max=
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || fail "the show ended before its first scene"
    import -display "$primary" -window root "$shots/multihead-primary.png" 2>/dev/null || true
    import -display "$other" -window root "$shots/multihead-other.png" 2>/dev/null || true
    if [ -s "$shots/multihead-primary.png" ] && [ -s "$shots/multihead-other.png" ]; then
      convert "$shots/multihead-primary.png" -crop "${width}x${height}+${left}+${top}" +repage \
        "$work/area.png"
      differing=$(compare -metric AE "$work/area.png" "$scene0" null: 2>&1) || true
      other_max=$(convert "$shots/multihead-other.png" -format '%[max]' info:)
      [ "$differing" = "0" ] && [ "$other_max" = "0" ] && return
    fi
    sleep 0.2
  done
  fail "first scene on the primary screen: $differing pixels differ; other screen's brightest value: $other_max"
}

expect_exit() {
  for _ in $(seq 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || fail "exit status $? after $1"
      pid=
      return
    fi
    sleep 0.1
  done
  fail "the show is still running after $1"
}

# 1. The first scene on the primary screen, black on the other; a key there ends the show.
start_show
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the show ended under a resting pointer"
xdotool key Shift_L
expect_exit "a key on the other screen"
compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null && fail "a temporary folder stayed behind"

# 2. With the password value set, the prompt leaves no desktop pixel on either screen.
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$XDG_CONFIG_HOME/scenesaver"
start_show
xdotool key space
# The prompt's box (560 x 220, centred on the primary screen) is dark grey inside its frame.
prompt_seen=
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || fail "the show ended without the password"
  import -display "$primary" -window root "$shots/multihead-prompt-primary.png"
  inside=$(convert "$shots/multihead-prompt-primary.png" -crop 1x1+236+278 -depth 8 rgb:- |
    od -An -tu1 | xargs)
  if [ "$inside" = "48 48 48" ]; then prompt_seen=1; break; fi
  sleep 0.2
done
[ -n "$prompt_seen" ] || fail "no password prompt on the primary screen ($shots/multihead-prompt-primary.png)"
import -display "$other" -window root "$shots/multihead-prompt-other.png"
for shot in "$shots/multihead-prompt-primary.png" "$shots/multihead-prompt-other.png"; do
  seen=$(desktop_pixels "$shot")
  [ "$seen" = "0" ] || fail "$seen desktop pixels visible during the prompt ($shot)"
done
# The prompt takes keys typed on the other screen too.
xdotool type --delay 20 secret
xdotool key Return
expect_exit "the right password typed on the other screen"
echo "multihead: ok"
