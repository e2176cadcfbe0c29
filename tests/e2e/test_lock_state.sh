#!/usr/bin/env bash
# The lock's state is read once, as the show starts, in a real X server:
# 1. A value of -1 puts the password in use: a key brings the prompt instead of ending the show.
# 2. Deleting the password, writing 0 into the value file and opening the folder to everyone
#    while the show runs opens nothing: an empty entry is refused, the password stored when the
#    show began ends it with status 0 and no tempN folder.
# 3. An unparseable value file puts the password in use and says so on standard error.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lock_common.sh"
source "$here/password_secret.sh"
lock_setup LOCK_STATE_E2E_IN_XVFB xdotool import

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  chmod -R u+rwx "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
config=$XDG_CONFIG_HOME/scenesaver
private=$XDG_RUNTIME_DIR/scenesaver
setup_lock() {
  rm -rf "$XDG_CONFIG_HOME"
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$config"
  chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$config"
  lock_with_secret "$config" "$1"
}

fail() {
  echo "FAIL: $*" >&2
  cat "$work/stderr" 2>/dev/null || true
  exit 1
}
start() {
  "$player" /S 2>"$work/stderr" &
  pid=$!
  for _ in $(seq 100); do
    compgen -G "$private/temp*" >/dev/null && return
    kill -0 "$pid" 2>/dev/null || fail "the show ended before it began"
    sleep 0.05
  done
  fail "no tempN folder appeared"
}
expect_exit_zero() {
  for _ in $(seq 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      local status=0
      wait "$pid" || status=$?
      pid=
      [ "$status" -eq 0 ] || fail "exit status $status after $1"
      ! compgen -G "$private/temp*" >/dev/null || fail "a tempN folder stayed after $1"
      return
    fi
    sleep 0.1
  done
  fail "the show still runs after $1"
}
unlock() {
  xdotool type --delay 10 secret
  xdotool key Return
  expect_exit_zero "$1"
}
cp "$demo" "$work/demo.scr"
player=$work/demo.scr

# 1
setup_lock -1
start
wake_prompt "with the value -1"
unlock "the password with the value -1"
echo "lock state: -1 is in use"

# 2
setup_lock 1
start
sleep 1
rm -f "$config/password"
printf '0\n' >"$config/ScreenSaveUsePassword"
chmod 777 "$config"
wake_prompt "after the files changed"
xdotool key Return  # the empty entry a deleted password would accept
sleep 2.6           # the check, then the lock-out
kill -0 "$pid" 2>/dev/null || fail "an empty entry ended the show after the password was deleted"
wake_prompt "after the refused empty entry"
unlock "the password stored when the show began"
echo "lock state: changes during the show open nothing"

# 3
setup_lock abc
start
wake_prompt "with an unparseable value"
grep -q "ScreenSaveUsePassword: not a number" "$work/stderr" ||
  fail "no word on standard error about the unparseable value"
[ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "more than one line on standard error"
unlock "the password with an unparseable value"
echo "lock state: ok"
