// scenepack render: placeholder until the headless renderer joins.
#include <CLI/CLI.hpp>
#include <iostream>

#include "tools/scenepack/Subcommands.h"

namespace scenepack {

void RegisterRender(CLI::App& app, int& exit_code) {
  CLI::App* render =
      app.add_subcommand("render", "Render a saver's show headlessly (not available yet)");
  render->allow_extras();
  render->callback([&exit_code] {
    std::cerr << "scenepack render: not available yet\n";
    exit_code = 2;
  });
}

}  // namespace scenepack
