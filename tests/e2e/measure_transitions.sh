#!/usr/bin/env bash
# Measures every transition in a real X server (Xvfb at 1920x1080, 24 bits), the repaint on the
# screen included: a two-scene 1920x1080 show per transition, played full screen by scenepack
# with its present log, each transition run twice. Prints per transition its steps, its step
# interval, the median step (from one step's repaint to the next, pooled over both runs), and
# the longer whole length against steps x interval. Goals: median step <= interval + 2 ms,
# whole <= nominal + 10%. Takes about three minutes.
# Usage: tests/e2e/measure_transitions.sh [BUILD_DIR] [EFFECT...]   (default: 1 to 29)
set -euo pipefail
source "$(dirname "$0")/measure_common.sh"
measure_init 1920x1080x24 "${1:-${BUILD_DIR:-build}}" "$@"
shift || true
effects=("$@")
[ ${#effects[@]} -gt 0 ] || mapfile -t effects < <(seq 1 29)

# Scenes are held this long; a pause of half of it between repaints ends a transition.
display_ms=500
gap_ms=$((display_ms / 2))
convert -size 1920x1080 gradient:red-blue -quality 90 "$work/a.jpg"
convert -size 1920x1080 gradient:green-yellow -rotate 180 -quality 90 "$work/b.jpg"

analyse() { python3 "$measure_here/present_log.py" "$@"; }
results=$work/results.jsonl
echo "Transitions at 1920x1080 in Xvfb, present included (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
analyse header
failed=0
for effect in "${effects[@]}"; do
  make_saver "show$effect" 1920x1080 "$display_ms" "$effect" 2
  log=$work/presents$effect.log
  # Two transitions are complete once the third has begun.
  if ! play_logged "$work/show$effect.scr" "$log" 40 log_groups_at_least "$log" "$gap_ms" 3; then
    echo "$effect: the show ended or stalled before two transitions were logged"
    failed=1
    continue
  fi
  analyse transition "$log" "$effect" --gap "$gap_ms" --results "$results" || failed=1
done
echo
analyse summary "$results" || failed=1
exit "$failed"
