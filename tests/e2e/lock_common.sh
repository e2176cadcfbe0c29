# Sourced by the lock's end-to-end tests after setting `here`: the player and the demo, the
# tools each test names, a private X server, and the renderer the sanitizer build needs.
# lock_setup VARIABLE TOOL...: checks, then re-runs the calling script inside xvfb-run once
# (VARIABLE marks the second run).
build=${BUILD_DIR:-$here/../../build}
player=$build/startup/scenesaver
demo=$build/demo.scr

lock_setup() {
  local marker=$1
  shift
  for tool in xvfb-run "$@"; do
    command -v "$tool" >/dev/null || { echo "skip: $tool is not installed"; exit 77; }
  done
  [ -x "$player" ] || { echo "skip: $player is not built"; exit 77; }
  [ -f "$demo" ] || { echo "skip: $demo is not built"; exit 77; }
  if [ -z "${!marker:-}" ]; then
    exec env "$marker=1" xvfb-run -a -s "-noreset -screen 0 1024x768x24" bash ${E2E_TRACE:+-x} "$0"
  fi
  export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
  # The sanitized player draws with SDL's software renderer. grep reads all of readelf's
  # output (no -q), so pipefail sees no broken pipe; the runtime may be linked in statically.
  if readelf -sW "$player" | grep '__asan_init' >/dev/null; then
    export SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
  fi
}
