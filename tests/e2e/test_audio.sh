#!/usr/bin/env bash
# Music and scene sounds through SDL's disk audio driver, which writes the mixed output to a
# file at playing speed. The demo show runs full screen until its first scene sound has played:
# the music is audible within 2 s of the audio device opening, the scene sound lifts the level
# above the music when its scene arrives (the moment comes from the headless render of the same
# saver; a busy machine may run the show up to 8 s late), and the output stops at the exit.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-build}
saver=$build/demo.scr
scenepack=$build/tools/scenepack/scenepack
for tool in xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }

if [ -z "${AUDIO_E2E_IN_XVFB:-}" ]; then
  exec env AUDIO_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 800x600x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }

cp "$saver" "$work/demo.scr"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"

# When the first scene sound starts, counted from the music's "open", on the virtual clock.
"$scenepack" render "$work/demo.scr" --out "$work/render" --until-ms 30000 --no-png >/dev/null
sound_ms=$(python3 - "$work/render/audio.csv" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
opened = next(int(r["tick_ms"]) for r in rows if r["argument"].startswith("open "))
played = next(int(r["tick_ms"]) for r in rows
              if r["call"] == "PlaySound" and r["argument"].startswith("0x20003 "))
print(played - opened)
PY
) || fail "the headless render logged no music open and scene sound"
[ "$sound_ms" -lt 25000 ] || fail "the first scene sound comes too late for this test: $sound_ms ms"

capture=$work/capture.raw
start=$(now_ms)
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$capture "$work/demo.scr" /S 2>"$work/stderr.txt" &
pid=$!
# The capture file appears when the audio device opens (with the music).
opened=
for _ in $(seq 200); do
  if [ -e "$capture" ]; then opened=$(now_ms); break; fi
  kill -0 "$pid" 2>/dev/null || fail "the show ended before the audio device opened"
  sleep 0.05
done
[ -n "$opened" ] || fail "no audio output was opened within 10 s"
echo "audio device opened $((opened - start)) ms after the start"

win=$(xdotool search --sync --onlyvisible --name '^scenesaver$' | head -1) || fail "no show window"
# Wait for the scene sound to lift the level (the show may run late on a busy machine), let it
# sound a little longer, then end the show with a key.
heard=$(python3 "$here/audio_capture.py" watch "$capture" "$sound_ms" "$opened") \
  || fail "no scene sound was heard within 8 s of its moment ($sound_ms ms after the open)"
sleep 0.5
quit=$(now_ms)
xdotool key --window "$win" space 2>/dev/null || xdotool key space
for _ in $(seq 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "the show still runs 3 s after the key"
wait "$pid" || fail "the saver exited with status $?"
pid=
ended=$(now_ms)
size=$(stat -c %s "$capture")
sleep 0.3
[ "$(stat -c %s "$capture")" -eq "$size" ] || fail "audio is still written after the exit"

python3 "$here/audio_capture.py" report "$capture" "$heard" "$((quit - opened))" \
  "$((ended - opened))" || fail "the captured levels"
echo "ok"
