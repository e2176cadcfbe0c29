// scenepack: builds, inspects, extracts, renders and plays scene-show saver files.
#include <CLI/CLI.hpp>

#include "tools/scenepack/Subcommands.h"

int main(int argc, char** argv) {
  CLI::App app{"scenepack: builds, inspects, extracts, renders and plays scene-show savers"};
  app.require_subcommand(1);
  app.footer(
      "Run `scenepack SUBCOMMAND --help` for the options of each. Exit status 2: bad usage.");
  int exit_code = 0;
  for (const scenepack::Registrar registrar :
       {scenepack::RegisterBuild, scenepack::RegisterInspect, scenepack::RegisterExtract,
        scenepack::RegisterRender, scenepack::RegisterPlay}) {
    registrar(app, exit_code);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return exit_code;
}
