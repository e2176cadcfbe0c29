// scenepack init: the manifest of a show of every picture in a folder, on standard output, to
// edit and build.
#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "tools/scenepack/PhotoOptions.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {
namespace {

int RunInit(const PhotoShowOptions& options) {
  const PhotoShow show = MakePhotoShow(options);
  if (!show.error.empty()) {
    std::cerr << "scenepack init: " << show.error << "\n";
    return 1;
  }
  if (show.seed) {
    std::cerr << "scenepack init: random choices drawn with --seed " << *show.seed << "\n";
  }
  std::cout << show.manifest;
  return std::cout.flush() ? 0 : 1;
}

}  // namespace

void RegisterInit(CLI::App& app, int& exit_code) {
  auto options = std::make_shared<PhotoShowOptions>();
  auto folder = std::make_shared<std::string>();
  CLI::App* init = app.add_subcommand(
      "init",
      "Print the manifest of a show of every picture in DIR (as build --photos makes it), "
      "to edit and build: scenepack init DIR > show.toml");
  init->add_option("DIR", *folder, "the folder of pictures")->required();
  AddPhotoShowOptions(*init, *options);
  init->footer(
      "Picture paths are written as DIR was given: keep the manifest in the current folder or "
      "edit them. Exit status: 0 printed, 1 no pictures or a bad option value, 2 bad usage.");
  init->callback([options, folder, &exit_code] {
    options->folder = *folder;
    exit_code = RunInit(*options);
  });
}

}  // namespace scenesaver::scenepack
