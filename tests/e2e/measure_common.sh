# shellcheck shell=bash
# Set-up shared by the measurement scripts (measure_*.sh), which source it: the build's
# programs, a run inside Xvfb, a private home and runtime folder, savers made from a manifest,
# and a show played with its present log until enough has been logged.

measure_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# measure_init SCREEN BUILD_DIR ARGS...: sets $build, $scenepack, $player and $work; re-runs the
# calling script (with ARGS) in a fresh Xvfb of SCREEN (WIDTHxHEIGHTxDEPTH) unless already in one.
# Exits 77 (a skip) with a message when a tool or the build is missing.
measure_init() {
  local screen=$1
  build=$2
  shift 2
  scenepack=$build/tools/scenepack/scenepack
  player=$build/startup/scenesaver
  local tool
  for tool in xvfb-run xdotool convert python3; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
  done
  [ -x "$scenepack" ] && [ -x "$player" ] || { echo "skip: build first (scripts/build build)"; exit 77; }
  if [ "${MEASURE_IN_XVFB:-}" != "$screen" ]; then
    exec env MEASURE_IN_XVFB="$screen" xvfb-run -a -s "-noreset -screen 0 $screen" bash "$0" "$@"
  fi
  work=$(mktemp -d)
  pid=
  trap measure_cleanup EXIT
  export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
  export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
  chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
}

measure_cleanup() {
  if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; fi
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}

# make_saver NAME SIZE DISPLAY_MS EFFECT SCENES [MUSIC [SOUND]]: $work/NAME.scr, a show of SIZE
# (WIDTHxHEIGHT) whose SCENES scenes alternate $work/a.jpg and $work/b.jpg, each held
# DISPLAY_MS and left through EFFECT, with the music file MUSIC and every scene sounding SOUND.
make_saver() {
  local name=$1 size=$2 display_ms=$3 effect=$4 scenes=$5 music=${6:-} sound=${7:-} i
  {
    echo "size = \"$size\""
    echo 'background = 0'
    [ -z "$music" ] || echo "music = \"$music\""
    for i in $(seq "$scenes"); do
      echo '[[scenes]]'
      if ((i % 2)); then echo 'picture = "a.jpg"'; else echo 'picture = "b.jpg"'; fi
      [ -z "$sound" ] || echo "sound = \"$sound\""
      echo "display_ms = $display_ms"
      echo "effect = $effect"
    done
  } >"$work/$name.toml"
  "$scenepack" build "$work/$name.toml" --player "$player" -o "$work/$name.scr" >/dev/null
}

# play_logged SAVER LOG TIMEOUT_S CONDITION...: plays SAVER full screen with its present log in
# LOG (and the CPU samples of present_log.py cpu-sample in LOG.cpu) until the command CONDITION
# succeeds (asked every 0.1 s), then ends it with SIGTERM as
# XScreenSaver would. The repaints logged after that are left out of LOG: the signal cuts short
# whatever hold or transition is running. Fails when the show ends first or TIMEOUT_S pass.
play_logged() {
  local saver=$1 log=$2 timeout_s=$3 status=0 tries lines=0
  shift 3
  rm -f "$log"
  "$scenepack" play "$saver" --present-log "$log" &
  pid=$!
  # The CPU time of the show and of the X server, sampled as the log grows.
  python3 "$measure_here/present_log.py" cpu-sample "$log" "$log.cpu" "$pid" \
    $(pgrep -x -f "Xvfb $DISPLAY .*" | head -1) &
  local sampler=$!
  for ((tries = 10 * timeout_s; tries > 0; tries--)); do
    [ -e "$log" ] && "$@" && break
    kill -0 "$pid" 2>/dev/null || { status=1; break; }
    sleep 0.1
  done
  [ "$tries" -gt 0 ] || status=1
  [ ! -e "$log" ] || lines=$(wc -l <"$log")
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" || true
  wait "$sampler" || true
  pid=
  if [ -e "$log" ]; then
    head -n "$lines" "$log" >"$log.kept"
    mv "$log.kept" "$log"
  fi
  return "$status"
}

# log_groups_at_least LOG GAP_MS COUNT: whether the log holds COUNT groups of repaints.
log_groups_at_least() {
  [ "$(python3 "$measure_here/present_log.py" bursts "$1" "$2")" -ge "$3" ]
}

# log_lines_at_least LOG COUNT
log_lines_at_least() {
  [ "$(wc -l <"$1")" -ge "$2" ]
}
