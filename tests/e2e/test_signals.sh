#!/usr/bin/env bash
# The player ended by any signal that would end a process (HUP, INT, QUIT, TERM, USR1, USR2,
# ALRM, PIPE) at a random moment (while it extracts, holds a scene or runs a transition):
# SIGNAL_RUNS runs per signal (default 3; 20 for a stress run), each must end promptly, with
# its own status or the signal's, and leave no tempN folder and no extracted file behind. Each
# signal's runs go through four shows in turn: the demo show (long holds); a quick show of short
# scenes and zoom transitions; the demo with the password in use (the screens covered, the
# input held); and a show carrying a 64 MB sound, signalled the moment its tempN folder
# appears, while it extracts.
# Then: the show's X connection killed by another client (xdotool windowkill) at a random moment
# (SIGNAL_RUNS times, default 4; every other time with the password in use) ends it with status
# 1 and nothing left; and a termination request while a failure message is up closes the message
# and ends the show within a second.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
demo=$build/demo.scr
for tool in xvfb-run convert python3 xdotool; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$player" ] || { echo "skip: $player is not built"; exit 77; }
[ -f "$demo" ] || { echo "skip: $demo is not built"; exit 77; }

work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
# A configuration with the password in use, for the locked runs.
locked=$work/locked-config
mkdir -p "$locked"
chmod 700 "$locked"
source "$(dirname "${BASH_SOURCE[0]}")/password_secret.sh"
lock_with_secret "$locked/scenesaver"

mkdir -p "$work/show"
cp "$demo" "$work/show/demo.scr"
for colour in '#c03030' '#30c030' '#3030c0'; do
  convert -size 320x240 xc:"$colour" "$work/scene-${colour#\#}.jpg"
done
printf 'RIFF' > "$work/tick.wav"
head -c $((64 * 1024 * 1024)) /dev/zero > "$work/big.wav"
python3 "$here/make_saver.py" "$player" "$work/show/quick.scr" --display-ms 300 --effect 23 \
  --scene "$work/scene-c03030.jpg:$work/tick.wav" --scene "$work/scene-30c030.jpg" \
  --scene "$work/scene-3030c0.jpg:$work/tick.wav"
python3 "$here/make_saver.py" "$player" "$work/show/big.scr" \
  --scene "$work/scene-c03030.jpg:$work/big.wav"
rm "$work/big.wav"
printf 'not a picture' >"$work/broken.jpg"
python3 "$here/make_saver.py" "$player" "$work/show/broken.scr" --scene "$work/broken.jpg"

cat > "$work/in_x.sh" <<'INNER'
set -uo pipefail
# Job control: without it the shell starts background commands with SIGINT and SIGQUIT ignored,
# and a signal sent before the player sets its own handling would be lost.
set -m
work=$1
private=$XDG_RUNTIME_DIR/scenesaver
locked=$work/locked-config
fail() { echo "FAIL: $*" >&2; exit 1; }
# The private folder as a run that shows nothing leaves it: the baseline.
"$work/show/demo.scr" /P || fail "/P ended with status $?"
baseline=$(cd "$private" && ls -A)
signals=(HUP INT QUIT TERM USR1 USR2 ALRM PIPE)
numbers=(1 2 3 15 10 12 14 13)
RANDOM=${SIGNAL_SEED:-20261207}
runs=${SIGNAL_RUNS:-3}
started=$SECONDS
for run in $(seq 0 $((8 * runs - 1))); do
  pick=$((run % 8))
  # Each signal's runs go through the four shows in turn, starting at a different one.
  variant=$(((run / 8 + pick) % 4))
  delay_ms=$((RANDOM % 3001))
  config=$XDG_CONFIG_HOME
  case $variant in
    0) saver=$work/show/demo.scr what=demo ;;
    1) saver=$work/show/quick.scr what=quick ;;
    2) saver=$work/show/demo.scr what="locked demo" config=$locked ;;
    3) saver=$work/show/big.scr what=big ;;
  esac
  XDG_CONFIG_HOME=$config "$saver" /S &
  pid=$!
  if ((variant == 3)); then
    when="extraction"
    for _ in $(seq 1000); do
      compgen -G "$private/temp*" >/dev/null && break
      sleep 0.005
    done
  else
    when="$delay_ms ms"
    sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  fi
  kill -s "${signals[$pick]}" "$pid" 2>/dev/null || true
  ended=""
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
    sleep 0.1
  done
  if [ -z "$ended" ]; then
    kill -KILL "$pid"
    fail "run $run: $what did not end within 10 s of SIG${signals[$pick]} at ${when}"
  fi
  wait "$pid"
  status=$?
  # Its own normal end, or the signal's status; a sanitizer report or a crash is neither.
  if [ "$status" -ne 0 ] && [ "$status" -ne $((128 + ${numbers[$pick]})) ]; then
    fail "run $run: $what, SIG${signals[$pick]} at ${when} gave status $status"
  fi
  now=$(cd "$private" && ls -A)
  [ "$now" = "$baseline" ] || fail "run $run: $what, SIG${signals[$pick]} at ${when} left: $(echo $now)"
  echo "run $run: $what SIG${signals[$pick]} at ${when}: status $status, clean"
done
echo "signals: $((8 * runs)) runs in $((SECONDS - started)) s"

# Another client kills the show's X connection.
started=$SECONDS
for run in $(seq "${SIGNAL_RUNS:-4}"); do
  delay_ms=$((500 + RANDOM % 2501))
  config=$XDG_CONFIG_HOME what=demo
  ((run % 2 == 0)) && config=$locked what="locked demo"
  XDG_CONFIG_HOME=$config "$work/show/demo.scr" /S &
  pid=$!
  sleep "$(printf '%d.%03d' $((delay_ms / 1000)) $((delay_ms % 1000)))"
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1) || true
  [ -n "$window" ] || { kill -KILL "$pid"; fail "windowkill run $run ($what): no show window"; }
  xdotool windowkill "$window"
  ended=""
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
    sleep 0.1
  done
  [ -n "$ended" ] || { kill -KILL "$pid"; fail "windowkill run $run ($what): the show did not end"; }
  wait "$pid"
  status=$?
  [ "$status" -eq 1 ] || fail "windowkill run $run ($what): status $status"
  now=$(cd "$private" && ls -A)
  [ "$now" = "$baseline" ] || fail "windowkill run $run ($what) at $delay_ms ms left: $(echo $now)"
  echo "windowkill run $run ($what) at $delay_ms ms: status 1, clean"
done
echo "windowkill: ${SIGNAL_RUNS:-4} runs in $((SECONDS - started)) s"

# A termination request while the failure message is up.
"$work/show/broken.scr" /S &
pid=$!
dialog=
for _ in $(seq 100); do
  dialog=$(xdotool search --onlyvisible --name '^エラー$' 2>/dev/null | head -1) || true
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || { kill -KILL "$pid"; fail "no failure message appeared"; }
kill -TERM "$pid"
ended=""
for _ in $(seq 10); do
  kill -0 "$pid" 2>/dev/null || { ended=yes; break; }
  sleep 0.1
done
[ -n "$ended" ] || { kill -KILL "$pid"; fail "SIGTERM during the failure message: still running after 1 s"; }
wait "$pid"
now=$(cd "$private" && ls -A)
[ "$now" = "$baseline" ] || fail "SIGTERM during the failure message left: $(echo $now)"
echo "SIGTERM during the failure message: ended within 1 s, clean"
INNER
xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$work/in_x.sh" "$work"

# Nothing extracted anywhere else either: every file under the sandbox is one this test made
# or the private folder's own.
stray=$(find "$HOME" "$XDG_CONFIG_HOME" -type f 2>/dev/null | wc -l)
[ "$stray" -eq 0 ] || { echo "FAIL: files appeared: $(find "$HOME" "$XDG_CONFIG_HOME" -type f)"; exit 1; }
echo "signals: ok"
