#!/usr/bin/env bash
# The player ended by SIGTERM, SIGINT or SIGHUP at a random moment (while it extracts, holds a
# scene or runs a transition): 20 runs, each must end promptly, with its own status or the
# signal's, and leave no tempN folder and no extracted file behind. Runs alternate between the
# demo show (long holds) and a quick show of short scenes and zoom transitions; every fourth run
# carries a 64 MB sound and is signalled the moment its tempN folder appears, while it extracts.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
demo=$build/demo.scr
for tool in xvfb-run convert python3; do
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

cat > "$work/in_x.sh" <<'INNER'
set -uo pipefail
work=$1
private=$XDG_RUNTIME_DIR/scenesaver
fail() { echo "FAIL: $*"; exit 1; }
# The private folder as a run that shows nothing leaves it: the baseline.
"$work/show/demo.scr" /P || fail "/P ended with status $?"
baseline=$(cd "$private" && ls -A)
signals=(TERM INT HUP)
numbers=(15 2 1)
RANDOM=${SIGNAL_SEED:-20261207}
for run in $(seq 20); do
  pick=$((RANDOM % 3))
  delay_ms=$((RANDOM % 3001))
  saver=$work/show/demo.scr
  ((run % 2 == 0)) && saver=$work/show/quick.scr
  ((run % 4 == 3)) && saver=$work/show/big.scr
  "$saver" /S &
  pid=$!
  if ((run % 4 == 3)); then
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
    fail "run $run: $(basename "$saver") did not end within 10 s of SIG${signals[$pick]} at ${when}"
  fi
  wait "$pid"
  status=$?
  # Its own normal end, or the signal's status; a sanitizer report or a crash is neither.
  if [ "$status" -ne 0 ] && [ "$status" -ne $((128 + ${numbers[$pick]})) ]; then
    fail "run $run: SIG${signals[$pick]} at ${when} gave status $status"
  fi
  now=$(cd "$private" && ls -A)
  [ "$now" = "$baseline" ] || fail "run $run: SIG${signals[$pick]} at ${when} left: $(echo $now)"
  echo "run $run: $(basename "$saver") SIG${signals[$pick]} at ${when}: status $status, clean"
done
INNER
xvfb-run -a -s "-screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$work/in_x.sh" "$work"

# Nothing extracted anywhere else either: every file under the sandbox is one this test made
# or the private folder's own.
stray=$(find "$HOME" "$XDG_CONFIG_HOME" -type f 2>/dev/null | wc -l)
[ "$stray" -eq 0 ] || { echo "FAIL: files appeared: $(find "$HOME" "$XDG_CONFIG_HOME" -type f)"; exit 1; }
echo "signals: ok"
