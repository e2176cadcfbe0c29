#!/usr/bin/env bash
# scenepack export: a two-scene show exported to lossless Matroska decodes to the very frames
# `scenepack render` drew at the same instants, with the asked length, frame count and streams;
# one full loop by default; MP4 and WebM carry the right codecs and lengths; GIF and animated
# WebP make 5-second clips; the demo show's sound track has its music from the start and a
# scene sound where the audio log puts it; Ctrl+C and a failed write leave no file; the player
# links neither FFmpeg nor FluidSynth.
set -euo pipefail
build=${BUILD_DIR:-build}
source_dir=${SOURCE_DIR:-.}
scenepack=$build/tools/scenepack/scenepack
player=$build/startup/scenesaver
fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND" >&2' ERR
for tool in ffmpeg ffprobe python3 identify convert readelf; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
for program in "$scenepack" "$player" "$build/demo.scr"; do
  [ -e "$program" ] || fail "$program has not been built"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"
check() { python3 "$source_dir/tests/e2e/export_check.py" "$@"; }
# stream field of stream $2 of file $1, e.g. probe a.mkv v:0 codec_name
probe() {
  ffprobe -v error -select_streams "$2" -show_entries "stream=$3" -of default=nw=1:nk=1 "$1"
}
duration() { ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"; }
near() { python3 -c "import sys; sys.exit(abs(float('$1') - float('$2')) > float('$3'))"; }

# The only libraries the player may not link.
if readelf -d "$player" | grep -E 'NEEDED.*(libav|libsw|fluidsynth)'; then
  fail "the player links FFmpeg or FluidSynth itself"
fi
ldd "$player" | grep -E 'libav(codec|format)' && fail "the player loads FFmpeg"
# grep reads all of readelf's output (no -q), so pipefail sees no broken pipe.
readelf -d "$scenepack" | grep 'NEEDED.*libavformat' >/dev/null || fail "scenepack does not link libavformat"

# Two scenes of 320x240, a second each, leaving by a transition; music and a scene sound.
media=$build/demo/media
convert -size 320x240 gradient:'#ff2000-#0020ff' "$work/a.jpg"
convert -size 320x240 pattern:checkerboard -fill '#20a040' -draw 'circle 160,120 160,40' "$work/b.png"
python3 "$source_dir/tests/e2e/make_saver.py" "$player" "$work/two.scr" --display-ms 1000 \
  --effect 5 --music "$media/tune.mid" --scene "$work/a.jpg" --scene "$work/b.png:$media/chime.wav"
"$scenepack" render "$work/two.scr" --out "$work/render" --until-ms 6000 >/dev/null ||
  fail "render exited $?"
"$scenepack" export "$work/two.scr" -o "$work/two.mkv" --seconds 3.5 --fps 25 >"$work/says" ||
  fail "export to .mkv exited $?"
grep -q "two.mkv: 88 frames (3.5 s) at 320x240, 25 fps" "$work/says" ||
  fail "the summary line: $(cat "$work/says")"
[ "$(probe "$work/two.mkv" v:0 codec_name,width,height,pix_fmt | tr '\n' ' ')" = "ffv1 320 240 bgr0 " ] ||
  fail "video stream: $(probe "$work/two.mkv" v:0 codec_name,width,height,pix_fmt)"
[ "$(probe "$work/two.mkv" a:0 codec_name,sample_rate,channels | tr '\n' ' ')" = "flac 48000 2 " ] ||
  fail "audio stream: $(probe "$work/two.mkv" a:0 codec_name,sample_rate,channels)"
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
  -of default=nw=1:nk=1 "$work/two.mkv")
[ "$frames" = 88 ] || fail "$frames frames in two.mkv, not 88"
near "$(duration "$work/two.mkv")" 3.52 0.021 || fail "two.mkv lasts $(duration "$work/two.mkv") s"
ffmpeg -v error -i "$work/render/frame-%06d.png" -f rawvideo -pix_fmt rgb24 "$work/render.rgb"
ffmpeg -v error -i "$work/two.mkv" -f rawvideo -pix_fmt rgb24 "$work/two.rgb"
check frames "$work/render/frames.csv" "$work/render.rgb" "$work/two.rgb" 320 240 25 ||
  fail "the exported frames are not the rendered ones"
# The sound track lasts as long as the pictures: 88 frames at 25 fps.
samples=$(ffmpeg -v error -i "$work/two.mkv" -vn -f f32le -ac 1 - | wc -c)
[ "$samples" -eq $((352 * 48 * 10 * 4)) ] || fail "$((samples / 4)) samples of sound, not 168960"

# By default one full loop: both scenes' holds and transitions, up to the moment the first
# scene's hold begins again (the second scene change's keep-alive check).
loop_ms=$(grep 'status bgm mode' "$work/render/audio.csv" | sed -n 2p | cut -d, -f1)
"$scenepack" export "$work/two.scr" -o "$work/loop.mkv" --fps 10 --no-audio >/dev/null
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
  -of default=nw=1:nk=1 "$work/loop.mkv")
[ "$frames" = $(((loop_ms + 99) / 100)) ] || fail "a loop of $loop_ms ms gave $frames frames at 10 fps"
[ -z "$(probe "$work/loop.mkv" a 'codec_name')" ] || fail "--no-audio left a sound track"

# The sharing formats.
"$scenepack" export "$work/two.scr" -o "$work/two.mp4" --seconds 3 >/dev/null
[ "$(probe "$work/two.mp4" v:0 codec_name,width,height | tr '\n' ' ')" = "h264 320 240 " ] ||
  fail "mp4 video: $(probe "$work/two.mp4" v:0 codec_name,width,height)"
[ "$(probe "$work/two.mp4" a:0 codec_name)" = aac ] || fail "mp4 audio: $(probe "$work/two.mp4" a:0 codec_name)"
near "$(probe "$work/two.mp4" v:0 duration)" 3 0.001 || fail "mp4 video lasts $(probe "$work/two.mp4" v:0 duration) s"
"$scenepack" export "$work/two.scr" -o "$work/two.webm" --seconds 3 --scale 2 >/dev/null
[ "$(probe "$work/two.webm" v:0 codec_name,width,height | tr '\n' ' ')" = "vp9 640 480 " ] ||
  fail "webm video: $(probe "$work/two.webm" v:0 codec_name,width,height)"
[ "$(probe "$work/two.webm" a:0 codec_name)" = opus ] || fail "webm audio: $(probe "$work/two.webm" a:0 codec_name)"
near "$(duration "$work/two.webm")" 3 0.03 || fail "webm lasts $(duration "$work/two.webm") s"
"$scenepack" export "$work/two.scr" -o "$work/clip.gif" --seconds 5 --fps 10 --size 160x160 >/dev/null
[ "$(probe "$work/clip.gif" v:0 codec_name,width,height,nb_frames | tr '\n' ' ')" = "gif 160 160 50 " ] ||
  fail "gif: $(probe "$work/clip.gif" v:0 codec_name,width,height,nb_frames)"
near "$(duration "$work/clip.gif")" 5 0.001 || fail "the GIF lasts $(duration "$work/clip.gif") s"
"$scenepack" export "$work/two.scr" -o "$work/clip.webp" --seconds 5 --fps 10 >/dev/null
head -c 16 "$work/clip.webp" | grep -q 'WEBPVP8X' || fail "not an extended WebP file"
# Unchanged frames are merged into longer ones: the delays (in 1/100 s) add up to the length.
delays=$(identify -format '%T+' "$work/clip.webp")
[ "$((${delays}0))" -eq 500 ] || fail "the WebP frames last ${delays}0 hundredths"
[ "$(identify -format '%W %H\n' "$work/clip.webp" | head -1)" = "320 240" ] || fail "WebP canvas size"

# The demo: music from the start, the whoosh where the show played it.
cp "$build/demo.scr" "$work/demo.scr"
"$scenepack" render "$work/demo.scr" --out "$work/demo-render" --until-ms 20000 --no-png >/dev/null
tick=$(grep 'PlaySound,0x20003 .*whoosh.wav' "$work/demo-render/audio.csv" | head -1 | cut -d, -f1)
[ -n "$tick" ] || fail "no whoosh in the demo's first 20 s"
"$scenepack" export "$work/demo.scr" -o "$work/demo.mkv" --seconds 20 --fps 5 --size 160x120 >/dev/null
ffmpeg -v error -i "$work/demo.mkv" -vn -ac 1 -f f32le "$work/mix.f32"
# The same show with its settings file turning the scene sounds off (music on, sounds off).
cp "$build/demo.scr" "$work/music-only.scr"
printf '\377\377\000\000' >"$work/music-only.set"
"$scenepack" export "$work/music-only.scr" -o "$work/music-only.mkv" --seconds 20 --fps 5 \
  --size 160x120 >/dev/null
ffmpeg -v error -i "$work/music-only.mkv" -vn -ac 1 -f f32le "$work/music.f32"
"$scenepack" extract "$work/demo.scr" "$work/demo-files" >/dev/null
ffmpeg -v error -i "$work/demo-files/whoosh.wav" -ac 1 -ar 48000 -f f32le "$work/whoosh.f32"
check rms "$work/mix.f32" 0 0.5 0.003 || fail "no music at the start"
cmp -s "$work/mix.f32" "$work/music.f32" && fail "the sound setting did not take the sounds out"
check onset "$work/mix.f32" "$work/music.f32" "$work/whoosh.f32" "$tick" || fail "the whoosh is not at $tick ms"

# Frames and sound stream through: 75 seconds of show take about the memory of 15 seconds (kept
# frames would add some 2 MB a refresh, a kept sound track 0.4 MB a second). Under the
# sanitizers freed memory is held back on purpose, so there the comparison means nothing.
peak_kb() {
  /usr/bin/time -f '%M' "$scenepack" export "$work/demo.scr" -o "$work/peak.mp4" --fps 10 \
    --size 160x120 --seconds "$1" 2>&1 >/dev/null | tail -1
}
# grep reads all of readelf's output (no -q), so pipefail sees no broken pipe.
if readelf -sW "$scenepack" | grep '__asan_init' >/dev/null; then
  echo "memory growth not compared: scenepack is built with AddressSanitizer"
else
  [ -x /usr/bin/time ] || fail "/usr/bin/time is not installed"
  short=$(peak_kb 15)
  long=$(peak_kb 75)
  echo "peak resident: ${short} kB for 15 s, ${long} kB for 75 s"
  [ $((long - short)) -lt 12000 ] || fail "memory grows with the length of the export"
fi

# Usage errors and failures leave nothing behind.
status=0
"$scenepack" export "$work/two.scr" -o "$work/two.avi" 2>"$work/err" || status=$?
[ "$status" -eq 2 ] && grep -q '.mp4, .webm, .mkv, .gif, .webp' "$work/err" ||
  fail "an unknown extension: exit $status, $(cat "$work/err")"
status=0
(trap '' XFSZ; ulimit -f 50; exec "$scenepack" export "$work/two.scr" -o "$work/full.mkv") \
  2>"$work/err" || status=$?
[ "$status" -eq 1 ] && grep -q 'full.mkv: cannot write: File too large' "$work/err" ||
  fail "a failed write: exit $status, $(cat "$work/err")"
status=0
"$scenepack" export "$work/demo.scr" -o "$work/long.mp4" --seconds 600 2>"$work/err" &
# Interrupted once it is writing (its hidden file is there).
for _ in $(seq 600); do
  compgen -G "$work/.long.mp4.*" >/dev/null && break
  sleep 0.1
done
compgen -G "$work/.long.mp4.*" >/dev/null || fail "the export to long.mp4 did not begin writing"
sleep 0.5
kill -INT $!
wait $! || status=$?
[ "$status" -eq 130 ] && grep -q 'interrupted' "$work/err" || fail "Ctrl+C: exit $status, $(cat "$work/err")"
leftovers=$(find "$work" -maxdepth 1 -name '.*' -o -maxdepth 1 -name 'full.mkv' -o -maxdepth 1 -name 'long.mp4')
[ -z "$leftovers" ] || fail "left behind: $leftovers"
if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
  fail "a temporary folder stayed behind"
fi
echo "export: all checks passed"
