#!/usr/bin/env bash
# The show in a real X server: "/S" shows the first scene centred on black (the screenshot
# matches the headless render pixel for pixel), a one-pixel mouse move ends it, a key alone
# ends it, and no temporary folder stays behind. With the password value set, a wrong password
# starts the show again from the first scene and the right one ends it.
set -euo pipefail
build=${BUILD_DIR:-build}
saver=$build/demo.scr
scenepack=$build/tools/scenepack/scenepack
for tool in xvfb-run xdotool import convert compare identify; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }

if [ -z "${SHOW_E2E_IN_XVFB:-}" ]; then
  exec env SHOW_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash "$0" "$@"
fi

# Under the sanitizers: the toolkit libraries keep their caches until exit, and the OpenGL
# driver, unloaded before the leak check, would leave reports nothing can name; that build
# draws with SDL's software renderer.
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
if ldd "$saver" 2>/dev/null | grep -q libasan; then
  export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
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

# The first scene as the headless renderer draws it: frame 1 is the opening picture.
"$scenepack" render "$work/demo.scr" --out "$work/render" --until-ms 0 >/dev/null
scene0=$work/render/frame-000001.png
read -r width height < <(identify -format '%w %h\n' "$scene0")
left=$(((1024 / 2) - (width / 2)))
top=$(((768 / 2) - (height / 2)))

# Starts "/S" and waits until the show's window is up; sets $pid.
start_show() {
  "$work/demo.scr" /S &
  pid=$!
  local win=
  for _ in $(seq 100); do
    win=$(xdotool search --onlyvisible --name '^scenesaver$' 2>/dev/null | head -1) || true
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the show ended before its window appeared"
    sleep 0.1
  done
  [ -n "$win" ] || fail "no show window appeared"
}

# Waits for the show to end by itself; $1 names what should have ended it.
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

expect_still_running() {
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "the show ended after $1"
}

expect_no_temp_folder() {
  if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
    fail "a temporary folder stayed behind: $(ls "$XDG_RUNTIME_DIR/scenesaver")"
  fi
}

# Fails unless the screen shows the first scene centred on black within a few seconds.
expect_first_scene() {
  local shot=$shots/show-$1.png differing= corner=
  for _ in $(seq 20); do
    import -window root "$shot"
    convert "$shot" -crop "${width}x${height}+${left}+${top}" +repage "$work/area.png"
    differing=$(compare -metric AE "$work/area.png" "$scene0" null: 2>&1) || true
    corner=$(convert "$shot" -format '%[pixel:p{0,0}] %[pixel:p{1023,767}]' info:)
    [ "$differing" = "0" ] && break
    sleep 0.2
  done
  [ "$differing" = "0" ] || fail "$1: the centred area differs from the first scene in $differing pixels ($shot)"
  [ "$corner" = "srgb(0,0,0) srgb(0,0,0)" ] || [ "$corner" = "gray(0) gray(0)" ] ||
    fail "$1: the screen around the presentation is not black: $corner"
}

# 1. A one-pixel relative move ends the show; the pointer resting under it does not.
start_show
expect_first_scene mouse
expect_still_running "showing under a resting pointer"
xdotool mousemove_relative 1 0
expect_exit "a one-pixel mouse move"
expect_no_temp_folder

# 2. A modifier key alone ends the show. (Input before the first scene is up is spent by the
# set-up: the showing run clears the quit flag when it begins.)
start_show
expect_first_scene key
xdotool key Shift_L
expect_exit "the Shift key"
expect_no_temp_folder

# 3. With the password value set: a wrong password restarts from the first scene, the right
# one ends the show. The stored password is "secret".
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$XDG_CONFIG_HOME/scenesaver"
start_show
expect_first_scene password
sleep 5  # past the first scene (4 s) and its transition
xdotool key space
sleep 0.5
import -window root "$shots/show-prompt.png"
xdotool type --delay 20 wrong
xdotool key Return
sleep 1
expect_still_running "a wrong password"
expect_first_scene restarted
xdotool key space
sleep 0.5
xdotool type --delay 20 secret
xdotool key Return
expect_exit "the right password"
expect_no_temp_folder
echo "show: ok"
