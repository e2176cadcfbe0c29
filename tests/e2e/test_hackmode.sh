#!/usr/bin/env bash
# scenepack play as an XScreenSaver hack: with XSCREENSAVER_WINDOW naming a window, "-root"
# draws the first scene centred inside that window without mapping a window of its own,
# re-centres it when the window is resized, ignores input, and ends on SIGTERM within a second
# leaving no temporary folder. "--window-id" draws into the window it names, also after the
# "--root" of the command line the hack's description (scenepack.xml) gives, as XScreenSaver's
# preview runs it. A window id naming no window, or a show that fails, ends the hack with a
# nonzero status and the reason on standard error, never with a window or a message box.
set -euo pipefail
build=${BUILD_DIR:-build}
source_dir=${SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
saver=$build/demo.scr
scenepack=$build/tools/scenepack/scenepack
for tool in xvfb-run xdotool xev xwininfo import convert compare identify python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
done
[ -x "$saver" ] || { echo "skip: $saver has not been built"; exit 77; }
[ -x "$scenepack" ] || { echo "skip: $scenepack has not been built"; exit 77; }

if [ -z "${HACK_E2E_IN_XVFB:-}" ]; then
  exec env HACK_E2E_IN_XVFB=1 xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
xev_pid=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  if [ -n "$xev_pid" ]; then kill "$xev_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cp "$saver" "$work/demo.scr"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config
export SDL_AUDIODRIVER=dummy
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME"
# The password value is set: a hack must not ask for it all the same.
mkdir -p "$XDG_CONFIG_HOME/scenesaver"
chmod 700 "$XDG_CONFIG_HOME/scenesaver"
printf '1\n' >"$XDG_CONFIG_HOME/scenesaver/ScreenSaveUsePassword"
chmod 600 "$XDG_CONFIG_HOME/scenesaver/ScreenSaveUsePassword"
shots=$build/e2e-shots
mkdir -p "$shots"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$scenepack" render "$work/demo.scr" --out "$work/render" --until-ms 0 >/dev/null
scene0=$work/render/frame-000001.png
read -r width height < <(identify -format '%w %h\n' "$scene0")

# The window XScreenSaver would hand over: xev's, at (10, 20), 1000x720. Its own small child
# window sits at its top-left corner, outside the centred picture at every size used here.
xev -geometry 1000x720+10+20 >"$work/xev.out" &
xev_pid=$!
win=
for _ in $(seq 50); do
  win=$(sed -n 's/^Outer window is \(0x[0-9a-f]*\).*/\1/p' "$work/xev.out" | head -1)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "xev made no window"

top_level_windows() { xwininfo -root -children | grep -c '^ *0x' || true; }

# Fails unless the window shows the first scene centred in a window of size $2 x $3.
expect_centred_scene() {
  local shot=$shots/hack-$1.png differing=
  local left=$((($2 / 2) - (width / 2))) top=$((($3 / 2) - (height / 2)))
  for _ in $(seq 25); do
    import -window "$win" "$shot"
    convert "$shot" -crop "${width}x${height}+${left}+${top}" +repage "$work/area.png"
    differing=$(compare -metric AE "$work/area.png" "$scene0" null: 2>&1) || true
    [ "$differing" = "0" ] && return
    sleep 0.2
  done
  fail "$1: the centred area differs from the first scene in $differing pixels ($shot)"
}

# Sends SIGTERM and expects the end, with the temporary folder gone, within one second.
expect_term_ends_within_a_second() {
  local started ended
  started=$(date +%s%N)
  kill -TERM "$pid"
  for _ in $(seq 40); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  ended=$(date +%s%N)
  kill -0 "$pid" 2>/dev/null && fail "still running 2 s after SIGTERM"
  wait "$pid" || fail "exit status $? after SIGTERM"
  pid=
  (((ended - started) / 1000000 <= 1000)) ||
    fail "SIGTERM took $(((ended - started) / 1000000)) ms to end the show"
  if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
    fail "a temporary folder stayed behind: $(ls "$XDG_RUNTIME_DIR/scenesaver")"
  fi
}

# 1. -root with XSCREENSAVER_WINDOW: centred, unmoved by input, re-centred on resize.
windows_before=$(top_level_windows)
XSCREENSAVER_WINDOW=$win "$scenepack" play "$work/demo.scr" -root &
pid=$!
expect_centred_scene root 1000 720
[ "$(top_level_windows)" = "$windows_before" ] || fail "the hack made a top-level window"
xdotool mousemove 300 250 mousemove_relative 5 5 click 1 key space
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "input ended the hack"
xdotool windowsize "$win" 1100 800
expect_centred_scene resized 1100 800
expect_term_ends_within_a_second

# 2. --window-id with a hexadecimal id draws there too.
xdotool windowsize "$win" 1000 720
"$scenepack" play "$work/demo.scr" --window-id "$win" &
pid=$!
expect_centred_scene window-id 1000 720
expect_term_ends_within_a_second

# 3. The command line the hack's description makes, with the scaling "own size" chosen, and
# --window-id added after its --root, as the settings tool's preview does: the id wins over
# --root (XSCREENSAVER_WINDOW names the root window here, which the show must leave alone).
mapfile -t hack_args < <(python3 - "$source_dir/xscreensaver/scenepack.xml" "$work/demo.scr" <<'PY'
import sys
import xml.etree.ElementTree as tree

root = tree.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver" and root.get("name") == "scenepack", "named after the hack"
assert (root.findtext("_description") or "").strip(), "a description"
args, files, scales = [], 0, []
for element in root.iter():
    if element.tag == "command":
        args.append(element.get("arg"))
    elif element.tag == "file":
        files += 1
        args.append(element.get("arg").replace("%", sys.argv[2]))
    elif element.tag == "select" and element.get("id") == "scale":
        options = {o.get("id"): o.get("arg-set") for o in element.findall("option")}
        scales = sorted(v for v in options.values() if v)
        args.append(options["one"])
assert files == 1, "one file chooser, for the saver"
assert scales == ["--scale=1", "--scale=fill"], scales
print("\n".join(args))
PY
)
[ "${hack_args[0]:-}" = play ] && printf '%s\n' "${hack_args[@]}" | grep -qx -- --root \
  || fail "the description's command line is not 'play SAVER --root ...': ${hack_args[*]}"
root_window=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
XSCREENSAVER_WINDOW=$root_window "$scenepack" "${hack_args[@]}" --window-id "$win" &
pid=$!
expect_centred_scene preview 1000 720
expect_term_ends_within_a_second

# How long scenepack takes to start and end doing nothing, in ms: it loads a few hundred
# libraries, which on a loaded machine can take most of a second by itself.
idle_run_ms() {
  local started
  started=$(date +%s%N)
  "$scenepack" --help >/dev/null 2>&1 || true
  echo $((($(date +%s%N) - started) / 1000000))
}

# Runs scenepack play with "$@" and fails unless it ends with a nonzero status within $1 ms
# (or, on a machine so loaded that an idle run takes longer, within twice that idle run's time
# plus a second: one short run under load says little about the next), with $2 on standard
# error, leaving no window and no temporary folder. A message box would keep it from ending.
expect_hack_failure() {
  local limit_ms=$1 expect=$2 started elapsed status=0 before idle
  shift 2
  before=$(top_level_windows)
  idle=$(idle_run_ms)
  ((2 * idle + 1000 <= limit_ms)) || limit_ms=$((2 * idle + 1000))
  started=$(date +%s%N)
  timeout 20 "$scenepack" play "$@" 2>"$work/stderr" &
  pid=$!
  while kill -0 "$pid" 2>/dev/null; do sleep 0.02; done
  elapsed=$((($(date +%s%N) - started) / 1000000))
  wait "$pid" || status=$?
  pid=
  echo "  play $* -> status $status in $elapsed ms (idle run $idle ms): $(tr '\n' '|' <"$work/stderr")"
  [ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "$*: exit status $status"
  [ "$elapsed" -le "$limit_ms" ] || fail "$*: took $elapsed ms to end"
  grep -qF -- "$expect" "$work/stderr" || fail "$*: standard error says: $(cat "$work/stderr")"
  [ "$(top_level_windows)" = "$before" ] || fail "$*: a window was left"
  if compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null; then
    fail "a temporary folder stayed behind: $(ls "$XDG_RUNTIME_DIR/scenesaver")"
  fi
}

# 4. A window id that names no window: at once, before the package is read.
expect_hack_failure 1000 "no window 0x7ffff0 to draw in" \
  "$work/demo.scr" --root --window-id 0x7ffff0
expect_hack_failure 1000 "no window 0x3039 to draw in" "$work/demo.scr" -window-id 12345
XSCREENSAVER_WINDOW=0x7ffff0 expect_hack_failure 1000 "no window 0x7ffff0 to draw in" \
  "$work/demo.scr" -root

# 5. A show that fails inside the window (its first picture is damaged): the failure goes to
# standard error and the exit status is nonzero; no message box.
printf 'not a picture' >"$work/damaged.jpg"
python3 "$source_dir/tests/e2e/make_saver.py" "$build/startup/scenesaver" "$work/damaged.scr" \
  --scene "$work/damaged.jpg"
expect_hack_failure 20000 "damaged.jpg" "$work/damaged.scr" --root --window-id "$win"

# 6. The window destroyed under the hack: it ends cleanly, without its temporary folder.
XSCREENSAVER_WINDOW=$win "$scenepack" play "$work/demo.scr" --root &
pid=$!
expect_centred_scene before-destroy 1000 720
kill "$xev_pid"
wait "$xev_pid" 2>/dev/null || true
xev_pid=
for _ in $(seq 30); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the hack outlived its window by 3 s"
wait "$pid" || fail "exit status $? after the window was destroyed"
pid=
compgen -G "$XDG_RUNTIME_DIR/scenesaver/temp*" >/dev/null && fail "a temporary folder stayed behind"
echo "hackmode: ok"
