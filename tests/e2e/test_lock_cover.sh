#!/usr/bin/env bash
# With the password in use, "/S" covers both screens of a two-screen X server black before it
# reads its package, so nothing of the desktop shows while the show loads or fails:
# 1. A show whose first picture is damaged: the failure message comes over black on both
#    screens; after it only the password ends the show (Escape and a wrong password do not),
#    with status 1 and no tempN folder.
# 2. A show carrying 200 MB of music, frozen while it reads its package: both screens black;
#    let go, no desktop pixel shows until the first scene; the password ends it.
# 3. No private folder to be had: "実行できません" over black, and again only the password ends it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
xvfb_screens="-screen 0 1024x768x24 -screen 1 800x600x24"
source "$here/lock_common.sh"
lock_setup LOCK_COVER_E2E_IN_XVFB xdotool import convert display python3

work=$(mktemp -d)
pid=
watcher=
cleanup() {
  if [ -n "$watcher" ]; then kill "$watcher" 2>/dev/null || true; fi
  if [ -n "$pid" ]; then
    kill -CONT "$pid" 2>/dev/null || true
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/scenesaver"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_CONFIG_HOME/scenesaver"
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$XDG_CONFIG_HOME/scenesaver"
private=$XDG_RUNTIME_DIR/scenesaver
shots=$build/e2e-shots
mkdir -p "$shots"
primary=${DISPLAY%.*}.0
other=${DISPLAY%.*}.1

fail() {
  echo "FAIL: $*" >&2
  import -display "$primary" -window root "$shots/lock-cover-failure-primary.png" 2>/dev/null || true
  import -display "$other" -window root "$shots/lock-cover-failure-other.png" 2>/dev/null || true
  exit 1
}

# A desktop colour no scene here uses, so that one visible desktop pixel is detectable.
desktop='#3d17c5'
convert -size 16x16 "xc:$desktop" "$work/desktop-tile.png"
display -display "$primary" -window root "$work/desktop-tile.png" || true  # exits 1 all the same
display -display "$other" -window root "$work/desktop-tile.png" || true
# Pixels of the desktop colour on one screen; the screenshot is kept as FILE.
desktop_pixels() {
  import -display "$1" -window root "$2"
  convert "$2" -fill black +opaque "$desktop" -fill white -opaque "$desktop" \
    -format '%[fx:round(mean*w*h)]' info:
}
# The brightest channel value anywhere in a screenshot (0: all black).
brightest() { convert "$1" -format '%[max]' info:; }
pixel() {
  import -display "$primary" -window root -crop "1x1+$1+$2" -depth 8 rgb:- | od -An -tu1 | xargs
}
for screen in "$primary" "$other"; do
  [ "$(desktop_pixels "$screen" "$work/desktop.png")" != "0" ] ||
    fail "the desktop colour is not detectable on $screen"
done

# Both screens show nothing of the desktop, the other one nothing at all ($1 says when).
covered() {
  local seen
  seen=$(desktop_pixels "$primary" "$shots/lock-cover-primary.png")
  [ "$seen" = "0" ] || fail "$seen desktop pixels on the primary screen $1"
  seen=$(desktop_pixels "$other" "$shots/lock-cover-other.png")
  [ "$seen" = "0" ] || fail "$seen desktop pixels on the other screen $1"
  [ "$(brightest "$shots/lock-cover-other.png")" = "0" ] || fail "the other screen is not black $1"
}
alive() { kill -0 "$pid" 2>/dev/null || fail "the show ended $1"; }
wait_for_prompt() {
  for _ in $(seq 100); do
    prompt_up && return 0
    alive "while waiting for the prompt ($1)"
    sleep 0.1
  done
  fail "no password prompt appeared ($1)"
}
# Sets `dialog` to the message box with this title once it is up.
wait_for_dialog() {
  dialog=
  for _ in $(seq 150); do
    dialog=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$dialog" ] && return
    alive "before its message \"$1\" appeared"
    sleep 0.1
  done
  fail "no message \"$1\" appeared"
}
# Only the right password ends a show that cannot go on: Escape and a wrong one leave it up.
only_the_password_ends() {
  wait_for_prompt "after the message ($2)"
  covered "under the prompt ($2)"
  xdotool key Escape
  sleep 0.5
  alive "after Escape ($2)"
  covered "after Escape ($2)"
  wait_for_prompt "again after Escape ($2)"
  xdotool type --delay 10 wrong
  xdotool key Return
  sleep 2.6  # the check, then the two-second lock-out
  alive "after a wrong password ($2)"
  wait_for_prompt "asked again after the refusal ($2)"
  xdotool type --delay 10 secret
  xdotool key Return
  expect_exit "$1" "the right password ($2)"
}

# 1. The first picture is damaged.
convert -size 320x240 xc:'#3060c0' "$work/good.jpg"
printf 'not a picture' >"$work/broken.jpg"
python3 "$here/make_saver.py" "$player" "$work/broken.scr" --scene "$work/broken.jpg" \
  --scene "$work/good.jpg"
xdotool mousemove --screen 0 10 10
"$work/broken.scr" /S &
pid=$!
wait_for_dialog 'エラー'
covered "beside the failure message"
[ "$(pixel 0 0)" = "0 0 0" ] || fail "the primary screen is not black beside the message"
xdotool windowfocus --sync "$dialog" key Return
only_the_password_ends 1 "a damaged first picture"
echo "lock cover: damaged first picture ok"

# 2. 200 MB of music: the package is read behind the cover.
convert -size 320x240 xc:'#c08030' "$work/scene.bmp"
head -c $((200 * 1024 * 1024)) /dev/zero >"$work/big.mid"
python3 "$here/make_saver.py" "$player" "$work/big.scr" --music "$work/big.mid" --display-ms 60000 \
  --scene "$work/scene.bmp"
rm "$work/big.mid"
# The watcher runs before the show starts, so that it sees the package's first moment open.
python3 "$here/stop_while_open.py" "$work/big.scr" "$work/pid" "$work/ready" 60 &
watcher=$!
for _ in $(seq 200); do
  [ -e "$work/ready" ] && break
  sleep 0.05
done
"$work/big.scr" /S &
pid=$!
echo "$pid" >"$work/pid.new" && mv "$work/pid.new" "$work/pid"
frozen=0
wait "$watcher" || frozen=$?
watcher=
[ "$frozen" -eq 0 ] || fail "the show was not caught while it read its package"
covered "while the package is read"
! compgen -G "$private/temp*" >/dev/null || fail "the show was frozen after its load"
kill -CONT "$pid"
# Until the first scene shows (its colour in the middle of the primary screen), nothing of the
# desktop does: extraction happens behind the cover too.
scene_seen=
deadline=$((SECONDS + 120))
while ((SECONDS < deadline)); do
  alive "before its first scene"
  covered "while the show extracts and starts"
  if [ "$(pixel 512 384)" = "192 128 48" ]; then scene_seen=1; break; fi
  sleep 0.1
done
[ -n "$scene_seen" ] || fail "the first scene never appeared"
xdotool key BackSpace
wait_for_prompt "over the big show"
xdotool type --delay 10 secret
xdotool key Return
expect_exit 0 "the right password over the big show"
rm "$work/big.scr"
echo "lock cover: 200 MB load behind the cover ok"

# 3. Neither private folder can be had (each is a link, which is refused).
rm -rf "$private"
mkdir -p "$work/elsewhere" "$HOME/.cache"
ln -s "$work/elsewhere" "$private"
ln -s "$work/elsewhere" "$HOME/.cache/scenesaver"
"$work/broken.scr" /S &
pid=$!
wait_for_dialog 'Corvanta'
covered "beside the message"
xdotool windowfocus --sync "$dialog" key Return
only_the_password_ends 1 "no private folder"
echo "lock cover: ok"
