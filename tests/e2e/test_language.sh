#!/usr/bin/env bash
# The user's language in a real X server: "/C" on a package without settings shows its message
# box in English under LANG=en_US.UTF-8 (titled "Screen Saver") and in Japanese under
# LANG=ja_JP.UTF-8 and LANG=C (titled "スクリーンセーバー", the same drawing in both); the settings
# dialog comes up titled "Settings" in English. One screenshot of each lands in
# BUILD/e2e-shots/ (language-*.png).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
for tool in xvfb-run xdotool xprop import convert compare python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$player" ] || { echo "skip: $player is not built"; exit 77; }
[ -f "$build/locale/en/LC_MESSAGES/scenesaver.mo" ] || { echo "FAIL: no English catalogue"; exit 1; }

if [ -z "${LANGUAGE_E2E_IN_XVFB:-}" ]; then
  exec env LANGUAGE_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 800x600x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy SCENESAVER_LOCALEDIR=$build/locale
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
unset LC_ALL LC_MESSAGES LANGUAGE
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
shots=$build/e2e-shots
mkdir -p "$shots"

convert -size 64x48 xc:'#3060c0' "$work/scene.jpg"
python3 "$here/make_saver.py" "$player" "$work/plain.scr" --scene "$work/scene.jpg"
python3 "$here/make_saver.py" "$player" "$work/offers.scr" --settings --scene "$work/scene.jpg"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits for a visible window of the given title and prints its id. The title is read from
# _NET_WM_NAME: with a locale the machine has not installed (ja_JP here, maybe), GTK falls back
# to the C locale and cannot set a Japanese WM_NAME, which is all xdotool's --name reads.
find_window() {
  local id
  for _ in $(seq 300); do
    for id in $(xdotool search --onlyvisible --pid "$pid" '' 2>/dev/null); do
      if [ "$(xprop -id "$id" _NET_WM_NAME 2>/dev/null)" = "_NET_WM_NAME(UTF8_STRING) = \"$1\"" ]; then
        echo "$id"
        return
      fi
    done
    kill -0 "$pid" 2>/dev/null || fail "the program ended without showing '$1'"
    sleep 0.1
  done
  fail "no window titled '$1' appeared"
}

# Waits up to 20 s for the program to end; fails unless it ended with status 0.
ended_cleanly() {
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end after $1"
  wait "$pid" || fail "the program ended with status $? after $1"
  pid=
}

# shoot SAVER LANG TITLE KEY NAME: starts SAVER /C under LANG, waits for the window titled
# TITLE, photographs it into language-NAME.png, presses KEY and waits for the end.
shoot() {
  LANG=$2 "$1" /C &
  pid=$!
  local win
  win=$(find_window "$3") || exit 1
  sleep 0.5  # the first frame drawn
  eval "$(xdotool getwindowgeometry --shell "$win")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/language-$5.png"
  for _ in 1 2 3 4 5; do
    xdotool windowfocus --sync "$win" 2>/dev/null && break
    sleep 0.2
  done
  xdotool key "$4"
  ended_cleanly "$4 in '$3'"
}

shoot "$work/plain.scr" en_US.UTF-8 "Screen Saver" Return nosettings-en
shoot "$work/plain.scr" ja_JP.UTF-8 "スクリーンセーバー" Return nosettings-ja
shoot "$work/plain.scr" C "スクリーンセーバー" Return nosettings-c
shoot "$work/offers.scr" en_US.UTF-8 "Settings" Escape settings-en
shoot "$work/offers.scr" C "設定" Escape settings-c

# The message's text band (the top half of the box): the same drawing for Japanese and C,
# another one for English.
band() {
  convert "$shots/language-$1.png" -gravity North -crop 100%x50%+0+0 +repage "$work/band-$1.png"
}
band nosettings-en
band nosettings-ja
band nosettings-c
differing() { compare -metric AE "$work/band-$1.png" "$work/band-$2.png" null: 2>&1 || true; }
[ "$(differing nosettings-ja nosettings-c)" = 0 ] || fail "Japanese and C messages are drawn differently"
[ "$(differing nosettings-en nosettings-c)" != 0 ] || fail "the English message looks like the Japanese one"
echo "language: ok (screenshots in $shots/language-*.png)"
