#!/usr/bin/env bash
# scenepack with real photos: a folder of mixed formats (a rotated 4000x3000 JPEG, WebP, PNG
# with transparency, a small GIF) becomes a show in one command, every picture upright, whole
# and centred in the rendered frames; a file that is not a picture fails the build naming it;
# init writes the same show as a manifest; file names the package cannot hold get stable names;
# the existing shows keep their pictures byte for byte; only scenepack links libvips.
set -euo pipefail
build=${BUILD_DIR:-build}
source_dir=${SOURCE_DIR:-.}
scenepack=$(realpath -m "$build/tools/scenepack/scenepack")
player=$(realpath -m "$build/startup/scenesaver")
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -x "$scenepack" ] && [ -x "$player" ] || fail "build scenepack and scenesaver first"
for tool in convert vips ldd; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup installs it)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only the authoring tool reads photos with libvips; the player stays as it was.
ldd "$scenepack" >"$work/ldd-scenepack"
ldd "$player" >"$work/ldd-player"
grep -q libvips "$work/ldd-scenepack" || fail "scenepack does not link libvips"
if grep -q libvips "$work/ldd-player"; then fail "the player links libvips"; fi

# Runs scenepack, expecting exit status $1 and stdout+stderr containing $2.
expect() {
  local want=$1 says=$2 status=0
  shift 2
  "$scenepack" "$@" >"$work/out" 2>&1 || status=$?
  [ "$status" -eq "$want" ] || { cat "$work/out"; fail "scenepack $* exited $status, not $want"; }
  grep -qF -- "$says" "$work/out" || { cat "$work/out"; fail "scenepack $* did not say: $says"; }
}

# The photos. The JPEG is stored turned a quarter anticlockwise with EXIF orientation 6 (show
# turned a quarter clockwise); upright it is a 3000x4000 portrait: a red top quarter, a blue
# bottom quarter, between them green on the left and white on the right.
mkdir "$work/photos"
convert -size 3000x4000 xc:white -fill red -draw 'rectangle 0,0 2999,999' \
  -fill blue -draw 'rectangle 0,3000 2999,3999' -fill lime -draw 'rectangle 0,1000 1499,2999' \
  -rotate -90 -orient RightTop "$work/rotated.tif"
vips copy "$work/rotated.tif" "$work/photos/a-rotated.jpg[Q=90]"
[ "$(vipsheader -f orientation "$work/photos/a-rotated.jpg")" = 6 ] || fail "no EXIF orientation"
convert -size 300x200 xc:yellow "$work/photos/b.webp"
# Transparent red around an opaque magenta square: red would show if the alpha were dropped.
convert -size 200x200 'xc:rgba(255,0,0,0)' -fill magenta -draw 'rectangle 50,50 149,149' \
  "PNG32:$work/photos/c-alpha.png"
convert -size 40x30 xc:cyan "$work/photos/d-small.gif"
echo "shopping list" >"$work/photos/notes.jpg"

expect 1 "notes.jpg': not a picture" build --photos "$work/photos" --player "$player" \
  -o "$work/x.scr"
[ ! -e "$work/x.scr" ] && [ ! -e "$work/x.scr.part" ] || fail "a failed build left a file"
mv "$work/photos/notes.jpg" "$work/notes.jpg"

# The default output is beside the folder; the build never asks the screen for the size.
(cd "$work" && DISPLAY= "$scenepack" build --photos photos --player "$player" \
  --size 800x600 --effects 0 --seconds 1 >"$work/out" 2>&1) || { cat "$work/out"; fail "build"; }
grep -qF "a-rotated.jpg' stored as JPEG, 450x600 (rotated upright, resized)" "$work/out" ||
  { cat "$work/out"; fail "the rotated photo is not reported"; }
grep -qF "pictures 1/" "$work/out" && fail "a progress line when not on a terminal"
[ -x "$work/photos.scr" ] || fail "no photos.scr beside the folder"

# Each scene is a cut held a second: the frames at 0, 1001, 2002 and 3003 ms show them.
expect 0 "frames" render "$work/photos.scr" --out "$work/frames" --until-ms 3500
frame_at() { awk -F, -v t="$1" '$2 == t { f = $3 } END { print f }' "$work/frames/frames.csv"; }
# check FRAME_TICK "x,y=RRGGBB ...": each pixel within 24 of the colour in every channel.
check() {
  local file spot x y want got
  file=$work/frames/$(frame_at "$1")
  [ -f "$file" ] || fail "no frame at $1 ms"
  for spot in $2; do
    x=${spot%%,*} y=${spot#*,}; y=${y%%=*} want=${spot#*=}
    got=$(convert "$file" -format "%[hex:p{$x,$y}]" info:)
    for i in 0 2 4; do
      local a=$((16#${want:i:2})) b=$((16#${got:i:2}))
      ((a - b <= 24 && b - a <= 24)) || fail "frame at $1 ms, pixel $x,$y is $got, not $want"
    done
  done
}
# The portrait: 450x600 at left 175, upright (red on top, green on the left), black beside it.
check 0 "400,20=FF0000 400,580=0000FF 250,300=00FF00 550,300=FFFFFF 180,300=00FF00
  620,300=FFFFFF 170,300=000000 630,300=000000 5,5=000000"
# The WebP: 800x533 at top 33.
check 1001 "400,31=000000 400,34=FFFF00 400,300=FFFF00 5,564=FFFF00 400,567=000000"
# The PNG: 600x600 at left 100, transparency flattened onto the black background.
check 2002 "400,300=FF00FF 260,300=FF00FF 240,300=000000 150,300=000000 50,300=000000"
# The GIF, enlarged to the whole area.
check 3003 "2,2=00FFFF 797,597=00FFFF 400,300=00FFFF"

# init writes the show as a manifest that builds the same saver.
(cd "$work" && "$scenepack" init photos --size 800x600 --effects 0 --seconds 1 \
  >show.toml) || fail "init"
grep -qF 'picture = "photos/a-rotated.jpg"' "$work/show.toml" || fail "init: paths"
(cd "$work" && "$scenepack" build show.toml --player "$player" >/dev/null) ||
  fail "build of the manifest from init"
cmp "$work/show.scr" "$work/photos.scr" || fail "init's manifest builds another saver"

# A shuffle prints its seed, and the seed repeats the show.
expect 0 "--seed " build --photos "$work/photos" --player "$player" --shuffle \
  --effects random -o "$work/s1.scr"
seed=$(sed -n 's/.*--seed \([0-9]*\).*/\1/p' "$work/out")
expect 0 "wrote" build --photos "$work/photos" --player "$player" --shuffle --effects random \
  --seed "$seed" -o "$work/s2.scr"
cmp "$work/s1.scr" "$work/s2.scr" || fail "the same seed made another saver"
expect 2 "--photos" build "$work/show.toml" --shuffle -o "$work/x.scr"
expect 2 "MANIFEST is required (or --photos DIR)" build -o "$work/x.scr"

# Names the package cannot hold, and one name twice, get stable names reported in the summary.
mkdir -p "$work/names/one" "$work/names/two"
convert -size 8x8 xc:red "$work/names/one/IMG_0001.jpg"
convert -size 8x8 xc:blue "$work/names/two/IMG_0001.jpg"
convert -size 8x8 xc:green "$work/names/Café Ürlaub.jpg"
printf '%s\n' 'size = "64 × 48"' '[[scenes]]' 'picture = "one/IMG_0001.jpg"' '[[scenes]]' \
  'picture = "two/IMG_0001.jpg"' '[[scenes]]' 'picture = "Café Ürlaub.jpg"' \
  >"$work/names/show.toml"
expect 0 "'IMG_0001.jpg' is stored as 'photo-0002.jpg'" build "$work/names/show.toml" \
  --player "$player"
grep -qF "'Café Ürlaub.jpg' is stored as 'photo-0003.jpg'" "$work/out" || fail "no rename"
expect 0 "photo-0003.jpg" inspect "$work/names/show.scr"

# The existing shows store their pictures byte for byte.
expect 0 "2 scenes" build "$source_dir/tests/data/tiny/tiny.toml" --player "$player" \
  -o "$work/tiny.scr"
expect 0 "wrote" extract "$work/tiny.scr" "$work/tiny"
cmp "$work/tiny/a.jpg" "$source_dir/tests/data/tiny/a.jpg" || fail "tiny a.jpg changed"
cmp "$work/tiny/スプライト.bmp" "$source_dir/tests/data/tiny/b.bmp" || fail "tiny b.bmp changed"
if [ -d "$build/demo/media" ]; then
  expect 0 "11 scenes" build "$build/demo/demo.toml" --player "$player" -o "$work/demo.scr"
  expect 0 "wrote" extract "$work/demo.scr" "$work/demo"
  for f in "$build"/demo/media/*.jpg "$build"/demo/media/*.bmp; do
    cmp "$f" "$work/demo/$(basename "$f")" || fail "demo picture $(basename "$f") changed"
  done
else
  fail "the demo media have not been made"
fi
echo "ok: photos to a show"
