#!/usr/bin/env bash
# The Windows player under Wine in a real X server:
#  - "/C" opens the settings dialog and Enter writes FF FF FF FF beside the saver;
#  - "/C" on a show without settings says "設定項目はありません";
#  - "/S" puts the first scene centred on the screen, a key ends it with exit code 0, the
#    temporary folder is gone, and the music device was opened and reported "playing".
set -euo pipefail
build=${BUILD_DIR:?the Windows build folder}
source_dir=${SOURCE_DIR:?the source folder}
player=$build/startup/scenesaver.exe
for tool in wine xvfb-run xdotool import convert python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -f "$player" ] || { echo "skip: $player has not been built"; exit 77; }

if [ -z "${WINE_E2E_IN_XVFB:-}" ]; then
  exec env WINE_E2E_IN_XVFB=1 xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$@"
fi

trap 'echo "FAIL: line $LINENO: $BASH_COMMAND"' ERR
work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}
# Wine runs with a Japanese locale; the X tools keep a plain UTF-8 one, in which they read the
# windows' titles as UTF-8.
export LANG=C.UTF-8
wine_run() { LANG=ja_JP.UTF-8 exec wine "$@"; }
shots=$build/e2e-shots
mkdir -p "$shots"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits for a visible window of the given title and prints its id.
find_window() {
  local id
  for _ in $(seq 300); do
    # Compared whole rather than by xdotool's pattern, which misreads Wine's titles in a
    # Japanese locale.
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
      [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && { echo "$id"; return; }
    done
    kill -0 "$pid" 2>/dev/null || fail "the program ended without showing $1"
    sleep 0.1
  done
  fail "no window titled $1 appeared"
}

# press_in TITLE KEY: sends KEY to the window titled TITLE. Wine may replace a dialog's X window
# just after it appears (the first one found is then gone), so a send that fails looks again.
press_in() {
  local id
  for _ in $(seq 20); do
    id=$(find_window "$1")
    xdotool key --window "$id" "$2" 2>/dev/null && return
    sleep 0.2
  done
  fail "could not send $2 to the window titled $1"
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
(cd "$work" && SCENESAVER_MCI_LOG="Z:${mci_log//\//\\}" wine_run show.scr /S 2>"$work/wine.err") &
pid=$!
for _ in $(seq 100); do
  [ "$(pixel 400 300)" = "255,0,0" ] && break
  if ! kill -0 "$pid" 2>/dev/null; then
    code=0
    wait "$pid" || code=$?
    pid=
    tail -5 "$work/wine.err" | grep -v '^ALSA' || true
    fail "the show ended by itself (exit status $code); MCI log: $(cat "$mci_log" 2>/dev/null)"
  fi
  sleep 0.2
done
import -window root "$shots/windows-show.png"
# 320x240 centred on 800x600: red from (240,180) to (559,419), black around it.
for at in "240 180" "559 419" "400 300"; do
  [ "$(pixel $at)" = "255,0,0" ] || fail "pixel $at is $(pixel $at), not the picture's red"
done
for at in "239 300" "560 300" "400 179" "400 420" "0 0"; do
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
(cd "$work" && wine_run show.scr /C) &
pid=$!
find_window 設定 >/dev/null
import -window root "$shots/windows-settings.png"
press_in 設定 Return
expect_exit "Enter in the settings dialog"
[ "$(od -An -tx1 "$work/show.set" | tr -d ' \n')" = ffffffff ] || fail "show.set: $(od -An -tx1 "$work/show.set")"

echo "== /C without settings: the message box"
python3 "$make" "$player" "$work/plain.scr" --scene "$work/red.bmp"
(cd "$work" && wine_run plain.scr /C) &
pid=$!
find_window スクリーンセーバー >/dev/null
import -window root "$shots/windows-no-settings.png"
press_in スクリーンセーバー Return
expect_exit "closing the message box"
[ ! -e "$work/plain.set" ] || fail "a settings file was written for a show without settings"
echo "PASS"
