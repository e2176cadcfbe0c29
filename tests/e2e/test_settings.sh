#!/usr/bin/env bash
# The settings dialog in a real X server: "/C" opens it with its Japanese texts rendered,
# clicking "OFF" under "BGM" and pressing Enter writes 00 00 FF FF, and Esc neither changes an
# existing settings file nor creates one. For a saver in a folder that cannot be written, Enter
# writes the user's own settings file instead, and the next show follows it.
set -euo pipefail
saver=${BUILD_DIR:-build}/demo.scr
for tool in xvfb-run xdotool xset import convert strace; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
# Root writes past mode bits: a folder it cannot write is made with the immutable attribute.
if [ "$(id -u)" = 0 ] && ! command -v chattr >/dev/null; then
  echo "FAIL: chattr is not installed" >&2
  exit 1
fi

if [ -z "${SETTINGS_E2E_IN_XVFB:-}" ]; then
  exec env SETTINGS_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 800x600x24" bash "$0" "$@"
fi

trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
# No key repeats: under load a key's late release lets the server repeat it into the next
# program's dialog, which then closes at once.
xset r off
work=$(mktemp -d)
pid=
shared=$work/shared
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  if [ -d "$shared" ]; then
    chattr -i "$shared" 2>/dev/null || true
    chmod u+w "$shared" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
# The settings file lies next to the program, so each run uses its own copy.
cp "$saver" "$work/demo.scr"
settings=$work/demo.set
# The saver the helpers below start.
scr=$work/demo.scr
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
shots=${BUILD_DIR:-build}/e2e-shots
mkdir -p "$shots"

fail() { echo "FAIL: $*" >&2; exit 1; }
set -E  # the ERR trap also reports a failing command inside a function

# Gives the window the keyboard focus and presses a key. Under load the focus change can time
# out once; it is tried again before the key goes to whatever has the focus.
press_in() {
  for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$1" 2>/dev/null && break
    sleep 0.2
  done
  xdotool key "$2"
}

# Waits for a visible window of the given title and prints its id.
find_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return; }
    kill -0 "$pid" 2>/dev/null || fail "the program ended without showing $1"
    sleep 0.1
  done
  fail "no window titled $1 appeared"
}

# Starts "/C" and waits for the dialog; sets $pid and $win.
open_dialog() {
  "$scr" /C &
  pid=$!
  win=$(find_window 設定)
}

# Waits for the program to end after the dialog was dismissed.
expect_exit() {
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" || fail "exit status $?"; pid=; return; }
    sleep 0.1
  done
  fail "the program is still running after $1"
}

# Runs "/S" under strace, ends it with a key once the show has begun its first scene change, and
# sets $opens to the opens of the extracted tune for reading (the music device opening it). The
# show starts its music before it loads the second scene's picture, so that open marks the point
# by which the music has been opened if it is on.
run_show() {
  local trace=$work/trace.txt
  : >"$trace"
  SDL_AUDIODRIVER=dummy strace -f -qq -e trace=openat -o "$trace" "$scr" /S &
  pid=$!
  for _ in $(seq 300); do
    grep -F '02-noon.jpg' "$trace" | grep -qv 'O_CREAT' && break
    kill -0 "$pid" 2>/dev/null || fail "the show ended before its first scene change"
    sleep 0.1
  done
  grep -F '02-noon.jpg' "$trace" | grep -qv 'O_CREAT' || fail "the show never loaded scene 2"
  xdotool key Shift_L
  expect_exit "a key during the show"
  opens=$(grep -F 'tune.mid' "$trace" | grep -v 'O_CREAT' || true)
}

# Clicks at a point given in the dialog's twips, scaled to the window's actual size.
click_twips() {
  local width
  width=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  xdotool mousemove --window "$win" $(($1 * width / 4455)) $(($2 * width / 4455)) click 1
}

# Number of dark pixels in a region of the window given in twips: left top width height.
dark_pixels() {
  local scale_num scale_den=4455
  scale_num=$(xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
  local w=$(($3 * scale_num / scale_den)) h=$(($4 * scale_num / scale_den))
  local x=$(($1 * scale_num / scale_den)) y=$(($2 * scale_num / scale_den))
  convert "$shots/settings-dialog.png" -crop "${w}x${h}+${x}+${y}" -colorspace Gray \
    -threshold 50% -format '%[fx:round(w*h*(1-mean))]' info:
}

# The selected option buttons, as "BGM:ON|OFF Sound:ON|OFF", read from the indicators' colour
# (a selected indicator is a blue disc, an unselected one white) in a screenshot.
selection() {
  local shot=$work/selection.png result="" frame option x y red
  import -window "$win" "$shot"
  for frame in 0 1; do
    for option in 0 1; do
      x=$(((120 + 240 + option * 1080) / 15 + 5))
      y=$(((120 + frame * 960 + 360) / 15 + 8))
      red=$(convert "$shot" -format "%[fx:round(255*p{$x,$y}.r)]" info:)
      if [ "$red" -lt 150 ]; then
        result+="$([ $frame = 0 ] && echo BGM || echo Sound):$([ $option = 0 ] && echo ON || echo OFF) "
      fi
    done
  done
  echo "${result% }"
}

# Waits up to a few seconds for the dialog to show the given selection.
expect_selection() {
  local seen=
  for _ in $(seq 20); do
    seen=$(selection)
    [ "$seen" = "$1" ] && return
    sleep 0.25
  done
  fail "$2: the dialog shows \"$seen\", expected \"$1\""
}

bytes() { od -An -tx1 "$1" | tr -s ' ' | sed 's/^ //;s/ $//'; }

# 0. Without a settings file the show opens its music (the control for step 4).
run_show
[ -n "$opens" ] || fail "a show without a settings file did not open its music"
echo "music opened by a show without settings:"
echo "$opens" | sed 's/^/  /'

# 1. No file: the dialog opens with both "ON" selected; its texts render.
open_dialog
geometry=$(xdotool getwindowgeometry "$win")
echo "$geometry"
grep -q 'Geometry: 297x138' <<<"$geometry" || fail "client area is not 297x138 at 96 dpi"
expect_selection "BGM:ON Sound:ON" "without a file"
import -window "$win" "$shots/settings-dialog.png"
cancel_ink=$(dark_pixels 2880 630 1455 330)
ok_ink=$(dark_pixels 2880 240 1455 330)
echo "dark pixels: キャンセル $cancel_ink, OK $ok_ink"
[ "$cancel_ink" -gt 40 ] || fail "the キャンセル button shows no text"
[ "$ok_ink" -gt 15 ] || fail "the OK button shows no text"
# Glyphs missing from every font are drawn as boxes holding hex digits: five of them ink
# about 380 pixels of that button, the real katakana about 100.
[ "$cancel_ink" -lt 250 ] || fail "キャンセル is drawn as boxes (no Japanese font?)"

# 2. "OFF" under "BGM", then Enter: music off, sounds on.
click_twips $((120 + 1320 + 120)) $((120 + 360 + 127))
press_in "$win" Return
expect_exit "Enter"
[ -f "$settings" ] || fail "OK wrote no settings file"
[ "$(bytes "$settings")" = "00 00 ff ff" ] || fail "settings file holds $(bytes "$settings")"

# 3. Esc leaves the existing file untouched, even after a click changed the selection.
before=$(stat -c '%i %y %s' "$settings")
open_dialog
expect_selection "BGM:OFF Sound:ON" "with 00 00 FF FF"
click_twips $((120 + 240 + 120)) $((120 + 360 + 127))
expect_selection "BGM:ON Sound:ON" "after a click on ON under BGM"
press_in "$win" Escape
expect_exit "Esc"
[ "$(bytes "$settings")" = "00 00 ff ff" ] || fail "Esc changed the file to $(bytes "$settings")"
[ "$(stat -c '%i %y %s' "$settings")" = "$before" ] || fail "Esc rewrote the file"

# 4. The next show reads the file the dialog wrote: with "OFF" under "BGM" it never opens the music.
run_show
[ -z "$opens" ] || fail "the show opened its music although it is off: $opens"

# 5. Esc without a file creates none.
rm "$settings"
open_dialog
press_in "$win" Escape
expect_exit "Esc"
[ ! -e "$settings" ] || fail "Esc created a settings file"
leftovers=$(find "$work" -maxdepth 1 -name '.demo.set*')
[ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"

# 6. A settings path that cannot be replaced (here a folder of that name: root may write into any
# folder): OK names the file in a message and the dialog stays open.
mkdir "$settings"
open_dialog
press_in "$win" Return
message=$(find_window スクリーンセーバー)
sleep 0.3
import -window "$message" "$shots/settings-failure.png"
press_in "$message" Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^スクリーンセーバー$' >/dev/null 2>&1 || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null || fail "the dialog closed after a failed write"
xdotool search --onlyvisible --name '^設定$' >/dev/null || fail "the dialog is gone"
press_in "$win" Escape
expect_exit "Esc"
[ -d "$settings" ] || fail "the folder in the settings file's place was replaced"
leftovers=$(find "$work" -maxdepth 1 -name '.demo.set*')
[ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"

# 7. A saver in a folder its user cannot write (a shared installation; as root, whom no mode
# bits stop, the folder is made immutable): the dialog opens on the shared file, Enter writes
# the user's own file in the configuration folder and leaves the shared one alone, and the next
# show and dialog follow the user's file.
rm -rf "$settings"
mkdir "$shared"
cp "$work/demo.scr" "$shared/demo.scr"
printf '\xff\xff\xff\xff' >"$shared/demo.set"
if [ "$(id -u)" = 0 ]; then
  chattr +i "$shared" || fail "cannot make $shared immutable (chattr +i)"
else
  chmod a-w "$shared"
fi
touch "$shared/probe" 2>/dev/null && fail "$shared can still be written"
scr=$shared/demo.scr
user_settings=$XDG_CONFIG_HOME/scenesaver/demo.set
open_dialog
expect_selection "BGM:ON Sound:ON" "with the shared FF FF FF FF"
click_twips $((120 + 1320 + 120)) $((120 + 360 + 127))
press_in "$win" Return
expect_exit "Enter in a shared saver's dialog"
xdotool search --onlyvisible --name '^スクリーンセーバー$' >/dev/null 2>&1 \
  && fail "a message box stayed behind"
[ -f "$user_settings" ] || fail "OK wrote no per-user settings file"
[ "$(bytes "$user_settings")" = "00 00 ff ff" ] || fail "per-user file holds $(bytes "$user_settings")"
[ "$(stat -c %a "$XDG_CONFIG_HOME/scenesaver")" = 700 ] || fail "configuration folder mode"
[ "$(bytes "$shared/demo.set")" = "ff ff ff ff" ] || fail "the shared file changed"
run_show
[ -z "$opens" ] || fail "the show ignored the per-user file and opened its music: $opens"
open_dialog
expect_selection "BGM:OFF Sound:ON" "with the per-user 00 00 FF FF"
press_in "$win" Escape
expect_exit "Esc"

echo "settings: ok"
