#!/usr/bin/env bash
# Every transition, rendered by scenepack on a two-scene show, draws intermediate frames and
# ends with the whole next picture, pixel for pixel.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-build}
scenepack=$build/tools/scenepack/scenepack
player=$build/startup/scenesaver
[ -x "$scenepack" ] && [ -x "$player" ] || { echo "skip: scenepack or scenesaver not built"; exit 77; }
command -v convert >/dev/null && command -v compare >/dev/null ||
  { echo "skip: imagemagick is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

# Two pictures that differ everywhere and have structure along both axes.
convert -size 320x240 gradient:red-black -depth 8 "PNG24:$work/a.png"
convert -size 240x320 gradient:blue-yellow -rotate 90 -depth 8 "PNG24:$work/b.png"

failed=0
for effect in $(seq 1 29); do
  saver=$work/show$effect.scr
  python3 "$here/make_saver.py" "$player" "$saver" --display-ms 3000 --effect "$effect" \
    --scene "$work/a.png" --scene "$work/b.png"
  out=$work/out$effect
  # Scene a is held 3 s, then the transition (at most about 1.2 s) brings in b, held 3 s more.
  "$scenepack" render "$saver" --out "$out" --until-ms 5000 >/dev/null
  frames=$(($(wc -l <"$out/frames.csv") - 1))
  # Ending at 5000 ms passes into the next transition at once; look before that.
  last=$(awk -F, 'NR > 1 && $2 < 5000 { f = $3 } END { print f }' "$out/frames.csv")
  differing=$(compare -metric AE "$out/$last" "$work/b.png" null: 2>&1 || true)
  if [ "$frames" -lt 10 ] || [ "$differing" != "0" ]; then
    echo "FAIL: effect $effect: $frames frames, last frame differs from the next picture in $differing pixels"
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
echo "render transitions: all 29 end with the next picture"
