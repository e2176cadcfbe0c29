#!/usr/bin/env bash
# Measures every transition in a real X server (Xvfb at 1920x1080, 24 bits, or the size in
# MEASURE_SIZE, e.g. 3840x2160), the repaint on the screen included: a two-scene show of the
# screen's size per transition, played full screen by scenepack
# with its present log, each transition run twice. Prints per transition its steps, its step
# interval, the median step (from one step's repaint to the next, pooled over both runs), and
# the longer whole length against steps x interval. Goals: median step <= interval + 2 ms,
# whole <= nominal + 10%. Also printed: the median time one step's repaint takes, most of it the
# present on the screen, and the CPU time the player and the X server used from a transition's
# first repaint to its last. Takes about four minutes.
# Usage: tests/e2e/measure_transitions.sh [BUILD_DIR] [EFFECT...]   (default: 1 to 29)
set -euo pipefail
# shellcheck source=tests/e2e/measure_common.sh
source "$(dirname "$0")/measure_common.sh"
size=${MEASURE_SIZE:-1920x1080}
measure_init "${size}x24" "${1:-${BUILD_DIR:-build}}" "$@"
shift || true
effects=("$@")
[ ${#effects[@]} -gt 0 ] || mapfile -t effects < <(seq 1 29)

# Scenes are held this long; a pause of half of it between repaints ends a transition.
display_ms=500
gap_ms=$((display_ms / 2))
convert -size "$size" gradient:red-blue -quality 90 "$work/a.jpg"
convert -size "$size" gradient:green-yellow -rotate 180 -quality 90 "$work/b.jpg"

analyse() { python3 "$measure_here/present_log.py" "$@"; }
results=$work/results.jsonl
echo "Transitions at $size in Xvfb, present included (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
analyse header
failed=0
for effect in "${effects[@]}"; do
  make_saver "show$effect" "$size" "$display_ms" "$effect" 2
  log=$work/presents$effect.log
  # Two transitions are complete once the third has begun.
  if ! play_logged "$work/show$effect.scr" "$log" 40 log_groups_at_least "$log" "$gap_ms" 3; then
    echo "$effect: the show ended or stalled before two transitions were logged"
    failed=1
    continue
  fi
  analyse transition "$log" "$effect" --gap "$gap_ms" --results "$results" --cpu "$log.cpu" ||
    failed=1
done
echo
analyse summary "$results" || failed=1
exit "$failed"
