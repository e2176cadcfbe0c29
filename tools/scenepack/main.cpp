// scenepack: builds, inspects, extracts, renders, plays and exports scene-show saver files.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "platform/posix/UserLanguage.h"
#include "tools/scenepack/HackSwitches.h"
#include "tools/scenepack/Subcommands.h"

int main(int argc, char** argv) {
  // The show `play` runs speaks the user's language (its prompt and failure messages).
  scenesaver::platform::UseUserLanguage(scenesaver::platform::CatalogueFolder());
  CLI::App app{
      "scenepack: builds (from a manifest or a folder of photos), inspects, extracts, renders, "
      "plays and exports scene-show savers"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("scenepack ") + SCENESAVER_VERSION);
  app.footer(
      "Run `scenepack SUBCOMMAND --help` for the options of each. Exit status 2: bad usage.");
  int exit_code = 0;
  for (const scenesaver::scenepack::Registrar registrar :
       {scenesaver::scenepack::RegisterBuild, scenesaver::scenepack::RegisterInspect,
        scenesaver::scenepack::RegisterExtract, scenesaver::scenepack::RegisterRender,
        scenesaver::scenepack::RegisterPlay, scenesaver::scenepack::RegisterInit,
        scenesaver::scenepack::RegisterExport}) {
    registrar(app, exit_code);
  }
  const std::vector<std::string> args =
      scenesaver::scenepack::WithDoubleDashHackSwitches(argc, argv);
  std::vector<const char*> arg_pointers;
  arg_pointers.reserve(args.size());
  for (const std::string& arg : args) arg_pointers.push_back(arg.c_str());
  try {
    app.parse(static_cast<int>(arg_pointers.size()), arg_pointers.data());
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  return exit_code;
}
