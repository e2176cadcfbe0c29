#!/usr/bin/env bash
# scenepack render runs the demo's show on the virtual clock: frame files of the presentation
# size in 8-bit RGB, frames.csv and audio.csv with their headers and the show's timing, the
# music commands and scene sounds at their moments, --quit-at-ms ending the show as input
# would, no temporary folder left behind, and a file without a package refused.
set -euo pipefail
build=${BUILD_DIR:-build}
saver=$build/demo.scr
scenepack=$build/tools/scenepack/scenepack
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }
[ -f "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
command -v identify >/dev/null || { echo "skip: identify is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
fail() { echo "FAIL: $*" >&2; exit 1; }
cp "$saver" "$work/demo.scr"

# The first scene is held 4000 ms and leaves by the centre zoom: 21 steps, each ending at the
# first tick past its 40 ms.
"$scenepack" render "$work/demo.scr" --out "$work/out" --until-ms 6000 >/dev/null ||
  fail "render exited $?"
frames=$work/out/frames.csv
[ "$(head -1 "$frames")" = "index,tick_ms,file" ] || fail "frames.csv header: $(head -1 "$frames")"
[ "$(sed -n 2p "$frames")" = "0,0,frame-000000.png" ] || fail "first row: $(sed -n 2p "$frames")"
[ "$(sed -n 3p "$frames")" = "1,0,frame-000001.png" ] || fail "second row: $(sed -n 3p "$frames")"
# The zoom's first step is drawn at the first tick past the deadline.
[ "$(sed -n 4p "$frames")" = "2,4001,frame-000002.png" ] || fail "third row: $(sed -n 4p "$frames")"
[ "$(sed -n 5p "$frames" | cut -d, -f2)" = "4042" ] || fail "the zoom's second step does not follow at the first tick past 40 ms"
rows=$(($(wc -l <"$frames") - 1))
pngs=$(find "$work/out" -name 'frame-*.png' | wc -l)
[ "$rows" -eq "$pngs" ] || fail "$rows rows but $pngs frame files"
format=$(identify -format '%w %h %[bit-depth] %[channels]' "$work/out/frame-000001.png")
case $format in
  "800 600 8 srgb" | "800 600 8 rgb") ;;
  *) fail "frame format: $format" ;;
esac

audio=$work/out/audio.csv
[ "$(head -1 "$audio")" = "tick_ms,call,argument" ] || fail "audio.csv header: $(head -1 "$audio")"
grep -q '^0,mci,"open ""[^"]*/tune.mid"" alias bgm"$' "$audio" || fail "no music open at 0: $(cat "$audio")"
grep -q '^0,mci,play bgm$' "$audio" || fail "no play bgm at 0"
grep -q 'status bgm mode' "$audio" || fail "no keep-alive check after the scene change"
grep -q 'chime.wav' "$audio" && fail "the first scene's sound played at the start"
tail -2 "$audio" | grep -q ',mci,close bgm$' || fail "music not closed at the end: $(tail -2 "$audio")"
tail -1 "$audio" | grep -q ',PlaySound,0x40$' || fail "sounds not purged at the end"

# Quit at 1000 ms: the hold ends there; the scene after it is the last thing drawn.
"$scenepack" render "$work/demo.scr" --out "$work/quit" --quit-at-ms 1000 --no-png >/dev/null
[ "$(tail -1 "$work/quit/frames.csv" | cut -d, -f2)" = "1000" ] ||
  fail "the quit did not end the show at 1000 ms: $(tail -1 "$work/quit/frames.csv")"
[ -z "$(find "$work/quit" -name '*.png')" ] || fail "--no-png wrote frame files"

if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
  fail "a temporary folder stayed behind"
fi

printf 'no package here' >"$work/plain"
if "$scenepack" render "$work/plain" --out "$work/plain-out" >"$work/says" 2>&1; then
  fail "a file without a package rendered"
fi
grep -q "plain" "$work/says" || fail "the refusal does not name the file: $(cat "$work/says")"
echo "render: ok"
