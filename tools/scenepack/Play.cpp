// scenepack play: the full-screen show of a saver file, as the player's show mode runs it.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "platform/sdl/SdlShowHost.h"
#include "tools/scenepack/ShowRun.h"
#include "tools/scenepack/Subcommands.h"

namespace scenepack {

namespace {

struct PlayArguments {
  std::string saver;
  std::string present_log;
};

int Play(const PlayArguments& args) {
  platform::SdlShowOptions options;
  options.present_log = args.present_log;
  const std::unique_ptr<platform::ShowHost> host = platform::MakeSdlShowHost(options);
  if (!host) {
    std::cerr << "scenepack play: no display to show on\n";
    return 1;
  }
  if (const auto problem = RunShowOf(args.saver, *host)) {
    std::cerr << "scenepack play: " << *problem << '\n';
    return 1;
  }
  return 0;
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
                   "Append the millisecond tick of every repaint to this file (for timing)");
  play->callback([args, &exit_code] { exit_code = Play(*args); });
}

}  // namespace scenepack
