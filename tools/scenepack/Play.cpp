// scenepack play: placeholder until the headless player joins.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/scenepack/Subcommands.h"

namespace scenepack {

void RegisterPlay(CLI::App& app, int& exit_code) {
  CLI::App* play = app.add_subcommand("play", "Play a saver in a window (not available yet)");
  play->allow_extras();
  play->callback([&exit_code] {
    std::cerr << "scenepack play: not available yet\n";
    exit_code = 2;
  });
}

}  // namespace scenepack
