#!/usr/bin/env bash
# scenepack on real files: build -> inspect -> extract -> build gives the same bytes (for the tiny
# test show and the demo), damaged savers are named with their byte offset and exit 1, and a bad
# manifest fails with a message naming the file and the problem.
set -euo pipefail
build=${BUILD_DIR:-build}
source_dir=${SOURCE_DIR:-.}
scenepack=$build/tools/scenepack/scenepack
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }
command -v python3 >/dev/null || { echo "skip: python3 is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
printf 'PLAYER PROGRAM' >"$work/player"

# Runs scenepack, expecting exit status $1 and stdout+stderr containing $2.
expect() {
  local want=$1 says=$2 status=0
  shift 2
  "$scenepack" "$@" >"$work/out" 2>&1 || status=$?
  [ "$status" -eq "$want" ] || { cat "$work/out"; fail "scenepack $* exited $status, not $want"; }
  grep -qF -- "$says" "$work/out" || { cat "$work/out"; fail "scenepack $* did not say: $says"; }
}

# Round trip of the tiny show.
expect 0 "2 scenes" build "$source_dir/tests/data/tiny/tiny.toml" -o "$work/tiny.scr" --player "$work/player"
[ -x "$work/tiny.scr" ] || fail "the saver is not executable"
cmp -n 14 "$work/player" "$work/tiny.scr" || fail "the saver does not start with the player"
expect 0 "EffectZoomInFromCentre" inspect "$work/tiny.scr"
expect 0 "2 scenes" extract "$work/tiny.scr" "$work/tiny"
expect 0 "wrote" build "$work/tiny/manifest.toml" -o "$work/tiny2.scr" --player "$work/player"
cmp "$work/tiny.scr" "$work/tiny2.scr" || fail "extract then build changed the tiny saver"
[ -f "$work/tiny/スプライト.bmp" ] || fail "extract did not write the sprite under its stored name"

# The JSON form carries the offsets.
"$scenepack" inspect --json "$work/tiny.scr" >"$work/tiny.json"
python3 - "$work/tiny.json" <<'PY' || fail "inspect --json is wrong"
import json, sys
j = json.load(open(sys.argv[1]))
assert j["problem"] is None and j["package_offset"] == 14, j
f = j["fields"]
assert f["SceneCount"] == {"offset": 14, "value": 2}
assert f["MusicFileName"]["offset"] == 18 and f["MusicFileName"]["value"] == "tune.mid"
assert f["PackageLength"]["value"] + 14 == j["file_size"]
assert j["scenes"][1]["PictureFileName"]["value"] == "スプライト.bmp"
assert j["scenes"][1]["SoundData"]["present"] is False
PY

# The demo saver, with the real player, round-trips too.
if [ -f "$build/demo.scr" ]; then
  expect 0 "wrote" extract "$build/demo.scr" "$work/demo"
  player_size=$(("$(stat -c %s "$build/demo.scr")" - "$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(); print(struct.unpack('<i', d[-4:])[0])" "$build/demo.scr")"))
  head -c "$player_size" "$build/demo.scr" >"$work/demo-player"
  expect 0 "11 scenes" build "$work/demo/manifest.toml" -o "$work/demo.scr" --player "$work/demo-player"
  cmp "$build/demo.scr" "$work/demo.scr" || fail "extract then build changed the demo saver"
fi

# Damaged savers.
size=$(stat -c %s "$work/tiny.scr")
{ cat "$work/player"; printf '\0\0\0\0'; } >"$work/none.scr"
expect 1 "at file offset 14: the last four bytes are 0" inspect "$work/none.scr"
expect 1 "nothing extracted" extract "$work/none.scr" "$work/none"
{ cat "$work/player"; printf '\x00\x10\x00\x00'; } >"$work/long.scr"
expect 1 "PackageLength 4096 is larger than the file (18 bytes)" inspect "$work/long.scr"
head -c $((size - 40)) "$work/tiny.scr" >"$work/cut.scr"
python3 -c "import struct,sys; open(sys.argv[1],'ab').write(struct.pack('<i', $((size - 40 - 14 + 4))))" "$work/cut.scr"
expect 1 "problem   at file offset" inspect "$work/cut.scr"
# A scene count far beyond the file: the Scenes header follows the music array.
python3 - "$work/tiny.scr" "$work/huge.scr" <<'PY'
import sys
d = bytearray(open(sys.argv[1], "rb").read())
scenes = 14 + 18 + 2 + len("tune.mid") + 10 + (d[14 + 18 + 2 + 8 + 2] | d[14 + 18 + 2 + 8 + 3] << 8)
assert d[scenes] == 1
d[scenes + 2:scenes + 6] = (0x7FFFFFF0).to_bytes(4, "little")
open(sys.argv[2], "wb").write(d)
PY
expect 1 "Scenes: element count 2147483632 runs past the end" inspect "$work/huge.scr"

# Bad manifests.
cp "$source_dir"/tests/data/tiny/* "$work/"
sed 's/EffectZoomInFromCentre/EffectZoomSideways/' "$work/tiny.toml" >"$work/bad-effect.toml"
expect 1 "bad-effect.toml: scenes[0].effect: unknown effect name 'EffectZoomSideways'" \
  build "$work/bad-effect.toml" -o "$work/x.scr" --player "$work/player"
sed 's/"a.jpg"/"gone.jpg"/' "$work/tiny.toml" >"$work/bad-file.toml"
expect 1 "gone.jpg': No such file or directory" build "$work/bad-file.toml" -o "$work/x.scr" --player "$work/player"
sed 's/\[320, 240\]/[320, 99999]/' "$work/tiny.toml" >"$work/bad-size.toml"
expect 1 "size[1]: 99999 is out of range" build "$work/bad-size.toml" -o "$work/x.scr" --player "$work/player"
expect 1 "no-player': No such file" build "$work/tiny.toml" -o "$work/x.scr" --player "$work/no-player"
[ ! -e "$work/x.scr" ] || fail "a failed build left an output file"
expect 2 "MANIFEST is required" build
echo "ok: scenepack build, inspect and extract"
