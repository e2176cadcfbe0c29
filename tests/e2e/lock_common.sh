# Sourced by the lock's end-to-end tests after setting `here`: the player and the demo, the
# tools each test names, a private X server, and the renderer the sanitizer build needs.
# lock_setup VARIABLE TOOL...: checks, then re-runs the calling script inside xvfb-run once
# (VARIABLE marks the second run). The X server has one 1024x768 screen unless the caller set
# `xvfb_screens` to other screen arguments.
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
demo=$build/demo.scr
grab_probe=$build/tests/e2e/grab_probe

lock_setup() {
  local marker=$1
  shift
  for tool in xvfb-run "$@"; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
  done
  [ -x "$player" ] || { echo "skip: $player is not built"; exit 77; }
  [ -f "$demo" ] || { echo "skip: $demo is not built"; exit 77; }
  if [ -z "${!marker:-}" ]; then
    exec env "$marker=1" xvfb-run -a -s "-noreset ${xvfb_screens:--screen 0 1024x768x24}" \
      bash ${E2E_TRACE:+-x} "$0"
  fi
  export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
  # The sanitized player draws with SDL's software renderer. grep reads all of readelf's
  # output (no -q), so pipefail sees no broken pipe; the runtime may be linked in statically.
  if readelf -sW "$player" | grep '__asan_init' >/dev/null; then
    export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
  fi
}

# Helpers of the tests' shows, which set `pid` (the player) and `private` (its private folder)
# and define `fail`.

# "R G B" of one screen pixel, in 8 bits each.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 rgb:- | od -An -tu1 | xargs; }
# The prompt's box is 560 x 220 pixels, centred, dark grey inside its frame.
prompt_up() { [ "$(pixel 236 278)" = "48 48 48" ]; }

# Wakes the show until its prompt is up. BackSpace is input to the show and changes nothing in
# an empty prompt, so it is safe to repeat while the show is still starting.
wake_prompt() {
  for _ in $(seq 30); do
    xdotool key BackSpace
    for _ in $(seq 5); do
      prompt_up && return 0
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null || fail "the show ended while waking it ($1)"
  done
  fail "no password prompt appeared ($1)"
}

# grabs_held WHAT: no other client can take the keyboard or the pointer (the show holds them).
grabs_held() {
  [ -x "$grab_probe" ] || fail "$grab_probe is not built"
  local probe
  probe=$("$grab_probe") || fail "grab_probe failed ($1)"
  [ "$probe" = $'keyboard held\npointer held' ] || fail "another client could grab ($1): ${probe//$'\n'/, }"
}

# expect_exit STATUS WHAT: the show ends with STATUS within ten seconds and leaves no tempN
# folder.
expect_exit() {
  for _ in $(seq 100); do
    if ! kill -0 "$pid" 2>/dev/null; then
      local status=0
      wait "$pid" || status=$?
      pid=
      [ "$status" -eq "$1" ] || fail "exit status $status, not $1, after $2"
      ! compgen -G "$private/temp*" >/dev/null || fail "a tempN folder stayed after $2"
      return
    fi
    sleep 0.1
  done
  fail "the show still runs after $2"
}
