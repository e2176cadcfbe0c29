// scenepack render: the show of a saver file on the headless host, every repaint written as a
// PNG frame, the sound calls logged, on a virtual clock that starts at 0.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "platform/headless/HeadlessHost.h"
#include "tools/scenepack/ShowRun.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {

namespace {

struct RenderArguments {
  std::string saver;
  std::string out;
  std::uint32_t until_ms = 30000;
  std::optional<std::uint32_t> quit_at_ms;
  bool no_png = false;
};

int Render(const RenderArguments& args) {
  std::error_code error;
  std::filesystem::create_directories(args.out, error);
  if (error) {
    std::cerr << "scenepack render: cannot make " << args.out << ": " << error.message() << '\n';
    return 1;
  }
  platform::HeadlessOptions options;
  options.out_dir = args.out;
  options.write_png = !args.no_png;
  options.until_ms = args.until_ms;
  if (args.quit_at_ms) options.quit_at_ms.push_back(*args.quit_at_ms);
  platform::HeadlessHost host(options);
  if (const auto problem = RunShowOf(args.saver, host).problem) {
    std::cerr << "scenepack render: " << *problem << '\n';
    return 1;
  }
  if (!host.FlushOutput()) {
    std::cerr << "scenepack render: could not write every file into " << args.out << '\n';
    return 1;
  }
  const auto& frames = host.Frames();
  std::cout << frames.size() << " frames";
  if (!frames.empty()) std::cout << ", the last at " << frames.back().tick_ms << " ms";
  std::cout << ", written to " << args.out << '\n';
  return 0;
}

}  // namespace

void RegisterRender(CLI::App& app, int& exit_code) {
  auto args = std::make_shared<RenderArguments>();
  CLI::App* render = app.add_subcommand(
      "render",
      "Run a saver's show headlessly on a virtual clock: every repaint becomes "
      "OUT/frame-NNNNNN.png (listed in OUT/frames.csv), the sound calls go to OUT/audio.csv");
  render->add_option("SAVER", args->saver, "The saver file (a player with a package)")
      ->required()
      ->check(CLI::ExistingFile);
  render->add_option("--out", args->out, "Folder for the frames and logs (made if missing)")
      ->required();
  render
      ->add_option("--until-ms", args->until_ms,
                   "End the show as input would once the clock passes this tick")
      ->capture_default_str();
  render->add_option("--quit-at-ms", args->quit_at_ms,
                     "Raise the quit flag as input would at the first yield at or after this tick");
  render->add_flag("--no-png", args->no_png, "Write frames.csv and audio.csv but no PNG files");
  render->callback([args, &exit_code] { exit_code = Render(*args); });
}

}  // namespace scenesaver::scenepack
