#!/usr/bin/env bash
# The lock under a window manager (openbox) in a real X server, with the password in use and an
# ordinary application window (xlogo) open. Each of these leaves, 200 ms later, no pixel of the
# desktop or of the other window on the screen, and the show still running:
#   Alt+Tab; Escape then Alt+Tab; Alt+F4 together and apart; Super+D; a close request from
#   another client (WM_DELETE_WINDOW through the window manager); activating and raising the
#   other window; unmapping and iconifying the show's window. After each, no other client can
#   take the keyboard or the pointer.
# Iconifying the show while it is busy (stopped) leaves its grabs in place, so that Alt+Tab
# then never starts openbox's window cycling; the show comes back with the focus, and the next
# key brings the prompt (three times).
# The right password then ends the show with status 0 and no tempN folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lock_common.sh"
lock_setup LOCK_WM_E2E_IN_XVFB xdotool import openbox xlogo wmctrl xprop python3

work=$(mktemp -d)
pid=
others=()
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  for other in "${others[@]}"; do kill "$other" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
config=$XDG_CONFIG_HOME/scenesaver
private=$XDG_RUNTIME_DIR/scenesaver
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$config"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$config"
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$config"

fail() {
  echo "FAIL: $*" >&2
  import -window root "$work/last.png" 2>/dev/null && mkdir -p "$build/e2e-shots" &&
    cp "$work/last.png" "$build/e2e-shots/lock-wm-failure.png" || true
  exit 1
}

[ -x "$grab_probe" ] || fail "$grab_probe is not built"

# Colours of their own, so that the desktop and the other window are told from the show.
desktop='61 23 197'
window='23 197 61'
convert -size 16x16 'xc:#3d17c5' "$work/desktop-tile.png"
display -window root "$work/desktop-tile.png" || true  # exits with status 1 all the same
openbox --sm-disable >/dev/null 2>&1 &
others+=($!)
# Start-up waits allow 20 s: under a loaded CI machine a fresh X client can take several.
for _ in $(seq 200); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start"
xlogo -bg '#17c53d' -fg '#17c53d' -geometry 700x500+100+100 &
xlogo_pid=$!
others+=("$xlogo_pid")
other_window=
for _ in $(seq 200); do
  other_window=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -1) || true
  [ -n "$other_window" ] && break
  kill -0 "$xlogo_pid" 2>/dev/null || fail "xlogo ended before its window showed"
  sleep 0.1
done
[ -n "$other_window" ] || fail "xlogo did not appear"

# How many pixels of the screen have the desktop's or the other window's colour.
foreign_pixels() {
  import -window root -depth 8 rgb:- | python3 -c '
import sys
data = sys.stdin.buffer.read()
channels = [data[i::3] for i in range(3)]
total = 0
for colour in sys.argv[1:]:
    hits = -1
    for channel, value in zip(channels, (int(v) for v in colour.split())):
        table = bytes(1 if i == value else 0 for i in range(256))
        hits &= int.from_bytes(channel.translate(table), "big")
    total += bin(hits).count("1")
print(total)' "$desktop" "$window"
}
[ "$(foreign_pixels)" -gt 100000 ] || fail "the desktop and xlogo are not detectable"

alive() {
  kill -0 "$pid" 2>/dev/null || fail "the show ended after $1"
  compgen -G "$private/temp*" >/dev/null || fail "the tempN folder went away after $1"
}
# After an action: 200 ms later nothing but the show is on the screen, and it runs.
covered_after() {
  sleep 0.2
  local seen
  seen=$(foreign_pixels)
  [ "$seen" -le 200 ] || fail "$seen pixels of the desktop or xlogo show 200 ms after $1"
  alive "$1"
  grabs_held "$1"
  echo "lock under openbox: $1 ok"
}
dismiss_prompt() {
  xdotool key Escape
  sleep 0.3
}

"$demo" /S &
pid=$!
show_window=
for _ in $(seq 100); do
  show_window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) || true
  [ -n "$show_window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the show ended before it began"
  sleep 0.1
done
[ -n "$show_window" ] || fail "the show's window did not appear"
sleep 1
covered_after "the show started"

xdotool key alt+Tab
covered_after "Alt+Tab"
dismiss_prompt
xdotool key alt+Tab
covered_after "Escape then Alt+Tab"
dismiss_prompt
xdotool key alt+F4
covered_after "Alt+F4 together"
dismiss_prompt
xdotool keydown Alt_L
sleep 0.1
xdotool key F4
sleep 0.1
xdotool keyup Alt_L
covered_after "Alt+F4 apart"
dismiss_prompt
xdotool key super+d
covered_after "Super+D"
dismiss_prompt
wmctrl -i -c "$show_window"
covered_after "a close request from another client"
dismiss_prompt
wmctrl -i -c "$show_window"
covered_after "a second close request after Escape"
dismiss_prompt
xdotool windowactivate "$other_window" 2>/dev/null || true
covered_after "activating xlogo"
xdotool windowraise "$other_window"
covered_after "raising xlogo"
xdotool windowminimize "$show_window"
covered_after "iconifying the show"
dismiss_prompt
xdotool windowunmap "$show_window"
covered_after "unmapping the show"

# Iconified while the show is busy (stopped here; a password check or a large picture keeps it
# from answering for a moment too): a grab on the show's own window ended with the window, and
# openbox's Alt+Tab then took the keyboard. The grabs must stay, so that Alt+Tab never starts
# openbox's window cycling; once the show runs again it comes back, keeps the focus, and the
# next key brings the prompt.
other_id=$(printf '0x%x' "$other_window")
for round in 1 2 3; do
  dismiss_prompt
  kill -STOP "$pid"
  timeout 10 xdotool windowminimize --sync "$show_window" ||
    { kill -CONT "$pid"; fail "openbox did not iconify the show ($round)"; }
  probe=$("$grab_probe" | xargs)
  xdotool keydown Alt_L key Tab
  sleep 0.3
  cycling=$(xdotool search --onlyvisible --classname OPENBOX_FOCUS_CYCLE_POPUP 2>/dev/null) || true
  xdotool keyup Alt_L
  kill -CONT "$pid"
  [ "$probe" = "keyboard held pointer held" ] ||
    fail "another client could grab while the show was iconified ($round): $probe"
  [ -z "$cycling" ] || fail "openbox cycled windows on Alt+Tab while the show was iconified ($round)"
  covered_after "iconifying the busy show, then Alt+Tab ($round)"
  active=$(xprop -root _NET_ACTIVE_WINDOW)
  [[ "$active" != *"$other_id" ]] || fail "xlogo kept the focus ($round): $active"
  dismiss_prompt
  xdotool key BackSpace
  for _ in $(seq 50); do
    prompt_up && break
    sleep 0.1
  done
  prompt_up || fail "no prompt after a key, once the show was iconified ($round)"
done

# The right password still ends it.
for _ in $(seq 3); do
  dismiss_prompt
done
xdotool key BackSpace
sleep 0.5
xdotool type --delay 10 secret
xdotool key Return
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the right password did not end the show"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status after the right password"
! compgen -G "$private/temp*" >/dev/null || fail "a tempN folder stayed"
echo "lock under openbox: ok"
