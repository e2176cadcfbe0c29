// scenepack play: the show of a saver file full screen, as the player's show mode runs it, in a
// trial window, or inside a window XScreenSaver gives it.
#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "platform/posix/WindowId.h"
#include "platform/sdl/ForeignWindow.h"
#include "platform/sdl/SdlShowHost.h"
#include "platform/sdl/X11Display.h"
#include "tools/scenepack/ShowRun.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {

namespace {

struct PlayArguments {
  std::string saver;
  std::string present_log;
  bool root = false;
  std::string window_id;
  bool window = false;
  std::string scale = "auto";
};

// The window options as show options; nullopt (after saying why) when they are unusable. As
// with XScreenSaver's own hacks, a window id wins over --root: its settings tool previews a
// hack by adding --window-id to a command line that already holds --root.
std::optional<platform::SdlShowOptions> ShowOptionsFor(const PlayArguments& args,
                                                       const platform::X11DisplayConnection& x) {
  platform::SdlShowOptions options;
  options.present_log = args.present_log;
  options.scale = platform::ParseScaleMode(args.scale).value_or(platform::ScaleMode::kAuto);
  if (args.window) options.mode = platform::SdlWindowMode::kWindowed;
  if (!args.window_id.empty()) {
    const auto id = platform::ParseWindowId(args.window_id);
    if (!id) {
      std::cerr << "scenepack play: not a window id: " << args.window_id << '\n';
      return std::nullopt;
    }
    options.mode = platform::SdlWindowMode::kForeign;
    options.foreign_window = *id;
  } else if (args.root) {
    const auto id = platform::XScreenSaverWindow();
    if (!id) {
      std::cerr << "scenepack play: no window to draw in (XSCREENSAVER_WINDOW is not a window id"
                   " and there is no X display)\n";
      return std::nullopt;
    }
    options.mode = platform::SdlWindowMode::kForeign;
    options.foreign_window = *id;
  }
  // Checked before the package is read, so that a hack without a window ends at once.
  if (options.mode == platform::SdlWindowMode::kForeign) {
    if (const auto problem = platform::ForeignWindowProblem(x, options.foreign_window)) {
      std::cerr << "scenepack play: " << *problem << '\n';
      return std::nullopt;
    }
  }
  return options;
}

int Play(const PlayArguments& args) {
  // Held for the whole show (see X11DisplayConnection).
  const platform::X11DisplayConnection x;
  const std::optional<platform::SdlShowOptions> options = ShowOptionsFor(args, x);
  if (!options) return 1;
  base::Result<std::unique_ptr<platform::ShowHost>> host = platform::MakeSdlShowHost(*options);
  if (!host) {
    std::cerr << "scenepack play: " << host.error() << '\n';
    return 1;
  }
  const ShowRunOutcome outcome = RunShowOf(args.saver, *host.value());
  if (outcome.problem) {
    std::cerr << "scenepack play: " << *outcome.problem << '\n';
    return 1;
  }
  // The failure itself has been told (on standard error in a hack's window).
  return outcome.failed_at_run_time ? 1 : 0;
}

}  // namespace

void RegisterPlay(CLI::App& app, int& exit_code) {
  auto args = std::make_shared<PlayArguments>();
  CLI::App* play = app.add_subcommand(
      "play", "Play a saver's show full screen until a key, a button or a mouse move");
  play->add_option("SAVER", args->saver, "The saver file (a player with a package)")
      ->required()
      ->check(CLI::ExistingFile);
  play->add_option("--present-log", args->present_log,
                   "Write to this file when each repaint began and ended, in milliseconds of the "
                   "show's clock (for timing)");
  CLI::Option* root = play->add_flag(
      "--root", args->root,
      "Draw into the window $XSCREENSAVER_WINDOW names (else the root window), as an "
      "XScreenSaver hack; only SIGTERM ends the show (also -root). --window-id wins over it");
  CLI::Option* window_id = play->add_option(
      "--window-id", args->window_id,
      "Draw into this X window (decimal or 0x hex), as an XScreenSaver hack (also -window-id)");
  CLI::Option* window = play->add_flag(
      "--window", args->window,
      "Play in an ordinary resizable window; closing it ends the show (also -window)");
  play->add_option("--scale", args->scale,
                   "auto: the largest whole multiple that fits (smaller, smoothly, when the show "
                   "does not fit); 1: the show's own size; fill: as large as fits, smoothly")
      ->check(CLI::IsMember({"auto", "1", "fill"}));
  root->excludes(window);
  window_id->excludes(window);
  play->callback([args, &exit_code] { exit_code = Play(*args); });
}

}  // namespace scenesaver::scenepack
