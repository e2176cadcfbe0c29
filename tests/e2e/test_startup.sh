#!/usr/bin/env bash
# The player's start-up in a real X server: "/C" on a package without settings shows its
# message box with the Japanese text drawn; "/A" stores a password typed twice, in a dialog
# transient for the given window; "/S" extracts into a new tempN folder, a second
# start meanwhile ends at once, and nothing is left behind; "--help" ends at once. Without an X
# display "/S", "/C" and "/A" say so in one line on standard error and end at once, nonzero; so
# does "/S" with the password in use when no renderer can be had.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
player=${BUILD_DIR:-$here/../../build}/startup/scenesaver
no_renderer=${BUILD_DIR:-$here/../../build}/tests/e2e/libno_renderer_shim.so
for tool in xvfb-run xdotool xwininfo import convert python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$player" ] || { echo "skip: $player is not built"; exit 77; }
[ -f "$no_renderer" ] || { echo "FAIL: $no_renderer is not built" >&2; exit 1; }

work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
# Under the sanitizer build, leave out what the toolkit libraries keep until exit.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
private=$XDG_RUNTIME_DIR/scenesaver

convert -size 320x240 xc:'#3060c0' "$work/scene.jpg"
printf 'RIFF' > "$work/ding.wav"
python3 "$here/make_saver.py" "$player" "$work/plain.scr"
python3 "$here/make_saver.py" "$player" "$work/show.scr" --scene "$work/scene.jpg:$work/ding.wav"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Anything but the four switches: no window, ends at once.
timeout 5 "$work/plain.scr" --help || fail "--help did not end cleanly"

# Runs "$@" with a 10 s limit and fails unless it ends with a nonzero status within a second
# (or, on a machine so loaded that a start with nothing to do takes longer, within that time
# plus half a second), having written exactly one line, naming $expect, to standard error.
expect=
fails_at_once_with_one_line() {
  local started elapsed status=0 lines idle limit_ms=1000
  started=$(date +%s%N)
  "$work/plain.scr" --help
  idle=$((($(date +%s%N) - started) / 1000000))
  ((idle + 500 <= limit_ms)) || limit_ms=$((idle + 500))
  started=$(date +%s%N)
  timeout 10 "$@" 2>"$work/stderr" >/dev/null || status=$?
  elapsed=$((($(date +%s%N) - started) / 1000000))
  [ "$status" -ne 0 ] || fail "$*: exit status 0"
  [ "$status" -ne 124 ] || fail "$*: still running after 10 s"
  [ "$elapsed" -le "$limit_ms" ] || fail "$*: took $elapsed ms to end"
  lines=$(wc -l <"$work/stderr")
  [ "$lines" = 1 ] || fail "$*: $lines lines on standard error: $(cat "$work/stderr")"
  grep -qF -- "$expect" "$work/stderr" || fail "$*: standard error says: $(cat "$work/stderr")"
  echo "  $* -> status $status in $elapsed ms (idle start $idle ms): $(cat "$work/stderr")"
}

# No X display: DISPLAY unset, or naming one that does not open.
for switch in /S /C /A; do
  expect="DISPLAY is not set"
  fails_at_once_with_one_line env -u DISPLAY "$work/show.scr" "$switch"
done
expect='cannot open the X display ":65000"'
fails_at_once_with_one_line env DISPLAY=:65000 "$work/show.scr" /S
[ ! -e "$private" ] || [ -z "$(ls -A "$private" | grep '^temp' || true)" ] \
  || fail "a show without a display left $(ls "$private")"

cat > "$work/in_x.sh" <<'INNER'
set -euo pipefail
work=$1
no_renderer=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
# Waits up to $2 seconds for process $1 to end.
ended_within() {
  for _ in $(seq $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || return 0
    sleep 0.1
  done
  return 1
}

# /C without settings offered: the message box, centred, with its text drawn.
"$work/plain.scr" /C & pid=$!
win=$(timeout 15 xdotool search --sync --name '^スクリーンセーバー$' | head -n1) \
  || fail "no message box titled スクリーンセーバー"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$win")"
import -window root "$work/screen.png"
# The message sits left of centre above the button row; measure how much of that band is ink.
convert "$work/screen.png" -crop "${WIDTH}x$((HEIGHT / 2))+${X}+${Y}" +repage \
  -colorspace Gray -threshold 50% -negate -format '%[fx:mean]' info: > "$work/ink"
ink=$(cat "$work/ink")
python3 -c "import sys; sys.exit(0 if 0.005 < float(sys.argv[1]) < 0.5 else 1)" "$ink" \
  || fail "message text region looks blank (ink $ink)"
xdotool windowfocus --sync "$win" key Return
ended_within $pid 10 || fail "/C did not end after OK"
wait $pid || fail "/C ended with status $?"

# /S: a new tempN holding the scene's files while the show runs; a second start ends at once.
"$work/show.scr" /S & pid=$!
seen=""
for _ in $(seq 100); do
  if [ -f "$XDG_RUNTIME_DIR/scenesaver/temp1/scene.jpg" ]; then seen=yes; break; fi
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if [ -n "$seen" ]; then
  cmp "$work/scene.jpg" "$XDG_RUNTIME_DIR/scenesaver/temp1/scene.jpg" || fail "picture differs"
  cmp "$work/ding.wav" "$XDG_RUNTIME_DIR/scenesaver/temp1/ding.wav" || fail "sound differs"
  timeout 3 "$work/plain.scr" /C || fail "second instance did not end at once"
  xdotool search --name '^スクリーンセーバー$' >/dev/null 2>&1 && fail "second instance showed a window"
  sleep 1
  xdotool mousemove_relative 5 5
  sleep 0.5
  xdotool key Escape
else
  echo "note: the show ended before its folder could be looked at"
fi
ended_within $pid 20 || { kill $pid; fail "/S did not end on input"; }
wait $pid || fail "/S ended with status $?"

# /A: a mismatch is told and the entries cleared; matching entries store the hash, and the
# protection switch writes its value.
# With another client's window as the parent, the dialog is transient for it.
parent=0
if command -v xlogo >/dev/null && command -v xprop >/dev/null; then
  xlogo & logo=$!
  parent=$(timeout 10 xdotool search --sync --class xlogo | head -n1)
fi
"$work/plain.scr" /A "$parent" & pid=$!
win=$(timeout 15 xdotool search --sync --name '^パスワードの変更$' | head -n1) \
  || fail "no password-change dialog"
if [ "$parent" != 0 ]; then
  xprop -id "$win" WM_TRANSIENT_FOR | grep -qi "$(printf '0x%x' "$parent")" \
    || fail "dialog not transient for window $parent"
  kill "$logo"
fi
sleep 0.3
xdotool windowfocus --sync "$win" type 'one'
xdotool key Tab type 'two'
xdotool key Return
for _ in $(seq 50); do
  [ "$(xdotool search --name '^パスワードの変更$' | wc -l)" -ge 2 ] && break
  sleep 0.1
done
message=$(xdotool search --name '^パスワードの変更$' | grep -vx "$win" | head -n1) \
  || fail "no mismatch message"
xdotool windowfocus --sync "$message" key Return
sleep 0.3
[ -e "$XDG_CONFIG_HOME/scenesaver/password" ] && fail "a mismatch stored a password"
xdotool windowfocus --sync "$win" type 'secret'
xdotool key Tab type 'secret'
xdotool key Tab space Return
ended_within $pid 10 || fail "/A did not end after OK"
wait $pid || fail "/A ended with status $?"
grep -q '^\$argon2id\$' "$XDG_CONFIG_HOME/scenesaver/password" || fail "no argon2id hash stored"
[ "$(stat -c %a "$XDG_CONFIG_HOME/scenesaver/password")" = 600 ] || fail "password file mode"
[ "$(cat "$XDG_CONFIG_HOME/scenesaver/ScreenSaveUsePassword")" = 1 ] || fail "switch not stored"

# /S with the password in use where no renderer can be had: nothing could show the show, a
# failure message or the prompt, so the player says why on standard error and ends at once,
# nonzero, without a window of its own and without a temporary folder left.
windows_before=$(xwininfo -root -children | grep -c '^ *0x' || true)
started=$(date +%s%N)
status=0
LD_PRELOAD=$no_renderer ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" \
  timeout 20 "$work/show.scr" /S 2>"$work/stderr" || status=$?
elapsed=$((($(date +%s%N) - started) / 1000000))
echo "  /S without a renderer -> status $status in $elapsed ms: $(cat "$work/stderr")"
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "/S without a renderer: exit status $status"
[ "$elapsed" -le 3000 ] || fail "/S without a renderer took $elapsed ms to end"
[ "$(wc -l <"$work/stderr")" = 1 ] || fail "/S without a renderer: $(cat "$work/stderr")"
grep -qF "no renderer on this display" "$work/stderr" || fail "the reason is not told"
[ "$(xwininfo -root -children | grep -c '^ *0x' || true)" = "$windows_before" ] \
  || fail "/S without a renderer left a window"
if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
  fail "/S without a renderer left $(ls "$XDG_RUNTIME_DIR/scenesaver")"
fi
INNER
xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$work/in_x.sh" "$work" \
  "$no_renderer"

leftover=$(find "$private" -mindepth 1 -maxdepth 1 -name 'temp*' | wc -l)
[ "$leftover" -eq 0 ] || fail "tempN left behind: $(ls "$private")"
echo "startup: ok"
