#!/usr/bin/env bash
# The Windows player under Wine in a real X server:
#  - "/S" puts the first scene centred on the screen at twice its size, a key ends it with exit
#    code 0, the temporary folder is gone, and the music device was opened and reported
#    "playing";
#  - "/C" opens the settings dialog and Enter writes FF FF FF FF beside the saver;
#  - "/C" on a show without settings says "設定項目はありません";
#  - "/P" with no such window ends at once; "/P HWND" puts a visible, unfocused child of the
#    window's 152x112 size in it, opens no music, and ends with exit code 0 when that window is
#    destroyed, leaving no temporary folder;
#  - the program carries its manifest, declaring per-monitor DPI awareness;
#  - at 144 dpi (the registry's LogPixels) the show still fills the screen's real pixels, its
#    picture doubled in crisp 2x2 blocks (Wine 8 here gives the settings dialog 96 dpi whatever
#    LogPixels says, so its scaling is left to the unit tests);
#  - with two monitors (a nested Xephyr server with two Xinerama heads and no RandR, which makes
#    Wine list two monitors) the second one is black during the show, and a key sent to the
#    window covering it ends the show.
# The test has a Wine prefix of its own (wineprefix-e2e): it restarts Wine's server and changes
# the prefix's DPI, which the unit tests running beside it must not see.
set -euo pipefail
build=${BUILD_DIR:?the Windows build folder}
source_dir=${SOURCE_DIR:?the source folder}
player=$build/startup/scenesaver.exe
preview_parent=$build/tests/preview_parent.exe
for tool in wine wineserver xvfb-run xdotool xset import convert compare python3 Xephyr wrestool; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup)"; exit 1; }
done
for program in "$player" "$preview_parent"; do
  [ -f "$program" ] || { echo "FAIL: $program has not been built"; exit 1; }
done

if [ -z "${WINE_E2E_IN_XVFB:-}" ]; then
  exec env WINE_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 800x600x24" bash "$0" "$@"
fi

trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
# No key repeats: on a loaded machine a key's release can come late enough for the server to
# repeat it, and the repeat reaches the next program's window and closes it.
xset r off
work=$(mktemp -d)
pid=
parent_pid=
xephyr_pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "$parent_pid" ]; then kill "$parent_pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$xephyr_pid" ]; then kill "$xephyr_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
# Wine runs with a Japanese locale; the X tools keep a plain UTF-8 one, in which they read the
# windows' titles as UTF-8.
export LANG=C.UTF-8

# launch ARGS...: starts the saver program with ARGS in $work, with the variables of
# launch_env; its process is $pid.
launch_env=()
launched=()
relaunches=0
launch() {
  launched=("$@")
  relaunches=0
  start_launched
}
start_launched() {
  (cd "$work" && exec env "${launch_env[@]}" LANG=ja_JP.UTF-8 wine "${launched[@]}" 2>"$work/wine.err") &
  pid=$!
}
# For a program that ended before showing what the test waits for. Under Wine a program started
# just after another one ended now and then ends at once itself, with status 0 and without any
# input of ours (a message box or dialog closes as it appears; main's test showed it too): such
# a start is made again, after a pause that doubles, four times at most. Any other ending fails
# with MESSAGE.
start_again_or_fail() {
  local code=0
  wait "$pid" || code=$?
  pid=
  if [ "$code" -eq 0 ] && [ "$relaunches" -lt 4 ]; then
    relaunches=$((relaunches + 1))
    echo "   (${launched[*]} ended at once with status 0; started again)"
    sleep "$(( (1 << relaunches) / 4 )).$(( (1 << relaunches) % 4 * 25 ))"
    start_launched
    return
  fi
  tail -5 "$work/wine.err" | grep -v '^ALSA' >&2 || true
  fail "$1 (exit status $code)"
}
shots=$build/e2e-shots
mkdir -p "$shots"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits for a visible window of the given title; its id goes to window_id.
window_id=
find_window() {
  local id
  for _ in $(seq 300); do
    # Compared whole rather than by xdotool's pattern, which misreads Wine's titles in a
    # Japanese locale.
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
        window_id=$id
        return
      fi
    done
    kill -0 "$pid" 2>/dev/null || start_again_or_fail "the program ended without showing $1"
    sleep 0.1
  done
  fail "no window titled $1 appeared"
}

# press_in TITLE KEY: sends KEY to the window titled TITLE, which the program ends on. Wine may
# replace a dialog's X window just after it appears, and a key sent to the first one is then
# lost: while the program runs on, the window is looked up and the key sent again.
press_in() {
  for _ in $(seq 10); do
    find_window "$1"
    xdotool key --window "$window_id" "$2" 2>/dev/null || true
    for _ in $(seq 30); do
      kill -0 "$pid" 2>/dev/null || return 0
      sleep 0.1
    done
  done
  fail "the program did not end on $2 in the window titled $1"
}

# Waits for the program to end and checks its exit status.
expect_exit() {
  for _ in $(seq 300); do
    if ! kill -0 "$pid" 2>/dev/null; then
      local code=0
      wait "$pid" || code=$?
      pid=
      [ "$code" -eq 0 ] || fail "exit status $code after $1"
      return
    fi
    sleep 0.1
  done
  fail "the program is still running after $1"
}

# The colour of one screen pixel as "R,G,B".
pixel() {
  import -window root "$work/screen.png"
  convert "$work/screen.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# Waits until the screen pixel at X Y has the colour R,G,B, while the program runs.
wait_for_pixel() {
  for _ in $(seq 150); do
    [ "$(pixel "$1" "$2")" = "$3" ] && return
    kill -0 "$pid" 2>/dev/null || start_again_or_fail "the program ended before pixel $1 $2 became $3"
    sleep 0.2
  done
  fail "pixel $1 $2 is $(pixel "$1" "$2"), not $3"
}

# Waits until FILE exists (written whole by the preview's parent window).
wait_for_file() {
  for _ in $(seq 300); do
    [ -s "$1" ] && return
    sleep 0.1
  done
  fail "$1 did not appear"
}

# The number of pixels of the last screenshot's area WxH+X+Y that are not black.
lit_pixels() {
  convert "$work/screen.png" -crop "$1" +repage -fill white +opaque black -format "%[fx:int(mean*w*h+0.5)]" info:
}

windows_path() { echo "Z:${1//\//\\}"; }

convert -size 320x240 xc:'#FF0000' "$work/red.bmp"
make=$source_dir/tests/e2e/make_saver.py

echo "== /S: the first scene centred, music playing, a key ends it and the folder goes"
tune=$work/tune.mid
# A one-note Standard MIDI File: header, then a track with note on, a quarter note's wait, off.
printf 'MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\0\0\xff\x2f\0' >"$tune"
python3 "$make" "$player" "$work/show.scr" --display-ms 60000 --music "$tune" --scene "$work/red.bmp"
temp=$(ls -d "$WINEPREFIX"/drive_c/users/"$(id -un)"/Temp 2>/dev/null ||
  ls -d "$WINEPREFIX"/drive_c/users/*/Temp | head -1)
rm -rf "$temp"/temp*
mci_log=$work/mci.log
launch_env=(SCENESAVER_MCI_LOG="$(windows_path "$mci_log")")
launch show.scr /S
launch_env=()
wait_for_pixel 400 300 255,0,0
import -window root "$shots/windows-show.png"
# 320x240 twice (the largest whole multiple that fits) centred on 800x600: red from (80,60) to
# (719,539), black around it.
for at in "80 60" "719 539" "400 300"; do
  [ "$(pixel $at)" = "255,0,0" ] || fail "pixel $at is $(pixel $at), not the picture's red"
done
for at in "79 300" "720 300" "400 59" "400 540" "0 0"; do
  [ "$(pixel $at)" = "0,0,0" ] || fail "pixel $at is $(pixel $at), not black"
done
ls -d "$temp"/temp* >/dev/null 2>&1 || fail "no temporary folder during the show"
sleep 1  # past the first keep-alive check of the music
xdotool key a
expect_exit "a key press during the show"
! ls -d "$temp"/temp* >/dev/null 2>&1 || fail "the temporary folder is still there"
grep -q '^open "[^"]*\\temp[0-9]*\\tune.mid" alias bgm'$'\t''0'$'\t' "$mci_log" ||
  fail "the music was not opened: $(cat "$mci_log")"
grep -q '^status bgm mode'$'\t''0'$'\t''playing$' "$mci_log" || fail "no 'playing' reply: $(cat "$mci_log")"
grep -q '^close bgm' "$mci_log" || fail "the music was not closed"
echo "== /C with settings: Enter writes all four bytes on"
python3 "$make" "$player" "$work/show.scr" --settings --scene "$work/red.bmp"
launch show.scr /C
find_window 設定
import -window root "$shots/windows-settings.png"
press_in 設定 Return
expect_exit "Enter in the settings dialog"
[ "$(od -An -tx1 "$work/show.set" | tr -d ' \n')" = ffffffff ] || fail "show.set: $(od -An -tx1 "$work/show.set")"

echo "== /C without settings: the message box"
python3 "$make" "$player" "$work/plain.scr" --scene "$work/red.bmp"
launch plain.scr /C
find_window スクリーンセーバー
import -window root "$shots/windows-no-settings.png"
press_in スクリーンセーバー Return
expect_exit "closing the message box"
[ ! -e "$work/plain.set" ] || fail "a settings file was written for a show without settings"

echo "== /P without such a window: ends at once"
python3 "$make" "$player" "$work/show.scr" --display-ms 60000 --music "$tune" --scene "$work/red.bmp"
launch show.scr /p 4000000000
expect_exit "/P naming no window"
! ls -d "$temp"/temp* >/dev/null 2>&1 || fail "/P without a window made a temporary folder"

echo "== /P HWND: a child of the window, silent, ended by the window's going"
panel=$work/panel
mkdir "$panel"
wine "$preview_parent" "$(windows_path "$panel")" 2>/dev/null &
parent_pid=$!
wait_for_file "$panel/hwnd.txt"
hwnd=$(tr -d '\r\n' <"$panel/hwnd.txt")
rm -f "$mci_log"
launch_env=(SCENESAVER_MCI_LOG="$(windows_path "$mci_log")")
launch show.scr /p "$hwnd"
launch_env=()
wait_for_file "$panel/child.txt"
[ "$(cat "$panel/child.txt")" = "152 112 unfocused" ] ||
  fail "the preview's window: $(cat "$panel/child.txt")"
# Wine 8 does not show what a program draws in a child of another program's window (it draws
# into a surface of its own process only), so the preview's pixels are checked by the unit
# tests, in one process; here the program's life is.
import -window root "$shots/windows-preview.png"
ls -d "$temp"/temp* >/dev/null 2>&1 || fail "no temporary folder during the preview"
kill -0 "$pid" 2>/dev/null || fail "the preview ended by itself"
touch "$panel/destroy"
expect_exit "the preview's parent window was destroyed"
wait "$parent_pid" || true
parent_pid=
! ls -d "$temp"/temp* >/dev/null 2>&1 || fail "the preview left its temporary folder"
! grep -q '^open' "$mci_log" 2>/dev/null || fail "the preview opened the music: $(cat "$mci_log")"

echo "== The manifest: per-monitor DPI awareness"
manifest=$(wrestool -x --raw --type=24 --name=1 "$player")
grep -q '<dpiAwareness[^>]*>PerMonitorV2' <<<"$manifest" || fail "no per-monitor awareness: $manifest"
grep -q '<dpiAware[^>]*>true/pm<' <<<"$manifest" || fail "no dpiAware true/pm: $manifest"

echo "== /S at 144 dpi: the screen's real pixels, the picture doubled crisply"
# Random colours, one per pixel: any smoothing of the doubled picture shows.
convert -size 320x240 xc: +noise Random -type TrueColor "BMP3:$work/noise.bmp"
convert "$work/noise.bmp" -scale 200% "$work/noise-2x.png"
python3 "$make" "$player" "$work/show.scr" --display-ms 60000 --scene "$work/noise.bmp"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
# Wine reads the DPI when its server starts.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
launch show.scr /S
differing=
for _ in $(seq 100); do
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop 640x480+80+60 +repage "$work/shown.png"
  differing=$(compare -metric AE "$work/shown.png" "$work/noise-2x.png" null: 2>&1 || true)
  [ "$differing" = 0 ] && break
  kill -0 "$pid" 2>/dev/null || start_again_or_fail "the show at 144 dpi ended by itself"
  sleep 0.2
done
cp "$work/screen.png" "$shots/windows-show-144dpi.png"
[ "$differing" = 0 ] || fail "$differing pixels differ from the picture in 2x2 blocks"
[ "$(lit_pixels 800x60+0+0)" = 0 ] && [ "$(lit_pixels 80x480+0+60)" = 0 ] &&
  [ "$(lit_pixels 80x480+720+60)" = 0 ] && [ "$(lit_pixels 800x60+0+540)" = 0 ] ||
  fail "the margins around the picture are not black"
xdotool key a
expect_exit "a key press during the show at 144 dpi"
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

echo "== Two monitors: the second one black, a key there ends the show"
# Wine reads the monitors when its server starts: it starts again on the two-headed display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
Xephyr -displayfd 5 -screen 800x600+0+0 -origin 800,0 -screen 800x600+800+0 +xinerama \
  -extension RANDR -no-host-grab 5>"$work/display" >"$work/xephyr.log" 2>&1 &
xephyr_pid=$!
wait_for_file "$work/display"
export DISPLAY=:$(cat "$work/display")
xset r off
python3 "$make" "$player" "$work/show.scr" --display-ms 60000 --scene "$work/red.bmp"
# The pointer stays where Wine's first program puts it: moved before the show, it reached Wine
# only with the covers' first events, which then read as a mouse move and ended the show. The
# cover is found by its place instead of under the pointer.
wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels >/dev/null 2>&1 || true
launch show.scr /S
wait_for_pixel 400 300 255,0,0
# find_cover: prints the visible window covering the second monitor, if there is one.
find_cover() {
  local id
  for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed 's/^/COVER_/')" || continue
    if [ "${COVER_X:-}" = 800 ] && [ "${COVER_Y:-}" = 0 ] && [ "${COVER_WIDTH:-}" = 800 ] &&
      [ "${COVER_HEIGHT:-}" = 600 ]; then
      echo "$id"
      return
    fi
  done
}
cover=
for _ in $(seq 100); do
  cover=$(find_cover)
  [ -n "$cover" ] && break
  kill -0 "$pid" 2>/dev/null || start_again_or_fail "the show ended before the second monitor was covered"
  sleep 0.1
done
[ -n "$cover" ] || fail "no window covers the second monitor"
import -window root "$work/screen.png"
cp "$work/screen.png" "$shots/windows-two-monitors.png"
[ "$(lit_pixels 800x600+800+0)" = 0 ] || fail "the second monitor is not black"
[ "$(pixel 400 300)" = "255,0,0" ] || fail "the show is not on the first monitor"
kill -0 "$pid" 2>/dev/null || fail "the show ended before the key"
# Wine may replace the cover's X window meanwhile: it is looked for again.
for _ in $(seq 20); do
  xdotool key --window "$cover" a 2>/dev/null && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
  cover=$(find_cover)
done
expect_exit "a key on the second monitor"
! ls -d "$temp"/temp* >/dev/null 2>&1 || fail "the temporary folder is still there"
echo "PASS"
