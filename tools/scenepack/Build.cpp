// scenepack build: a copy of the player with the package of a manifest appended.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "package/PackageFormat.h"
#include "tools/scenepack/Manifest.h"
#include "tools/scenepack/MediaFiles.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {
namespace {

namespace fs = std::filesystem;

struct BuildOptions {
  std::string manifest;
  std::string output;
  std::string player;
  std::string target = "linux";
};

// The player built beside scenepack: in the same folder once installed, or in the build tree.
std::string DefaultPlayer() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (const fs::path& candidate :
         {self.parent_path() / "scenesaver", self.parent_path() / "../../startup/scenesaver"}) {
      if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
    }
  }
#ifdef SCENEPACK_PLAYER_PATH
  return SCENEPACK_PLAYER_PATH;
#else
  return "scenesaver";
#endif
}

// The Windows player: beside scenepack once installed, else the one cross-built in the source
// tree's build-windows folder.
std::string DefaultWindowsPlayer() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (const fs::path& candidate :
         {self.parent_path() / "scenesaver.exe",
          self.parent_path() / "../share/scenesaver/windows/scenesaver.exe"}) {
      if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
    }
  }
#ifdef SCENEPACK_WINDOWS_PLAYER_PATH
  return SCENEPACK_WINDOWS_PLAYER_PATH;
#else
  return "scenesaver.exe";
#endif
}

int RunBuild(const BuildOptions& options) {
  const ManifestResult manifest = ReadManifest(options.manifest);
  for (const std::string& warning : manifest.warnings) {
    std::cerr << "scenepack build: warning: " << warning << "\n";
  }
  if (!manifest.error.empty()) {
    std::cerr << "scenepack build: " << manifest.error << "\n";
    return 1;
  }
  const std::string player_path = !options.player.empty()       ? options.player
                                  : options.target == "windows" ? DefaultWindowsPlayer()
                                                                : DefaultPlayer();
  std::vector<std::uint8_t> player;
  std::string error;
  if (!ReadWholeFile(player_path, player, error)) {
    std::cerr << "scenepack build: player: " << error << " (choose one with --player)\n";
    return 1;
  }
  if (package::LoadPackageFromBytes(player).problem == std::nullopt) {
    std::cerr << "scenepack build: warning: the player '" << player_path
              << "' already carries a package; the new one goes after it\n";
  }
  const std::vector<std::uint8_t> package = package::SerializePackage(manifest.package);
  const auto executable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                          fs::perms::others_read | fs::perms::others_exec;
  if (!WriteFileAtomically(options.output, {&player, &package}, executable, error)) {
    std::cerr << "scenepack build: " << error << "\n";
    return 1;
  }
  std::cout << "scenepack build: wrote " << options.output << " (" << player.size()
            << " bytes of player, " << package.size() << " bytes of package, "
            << manifest.package.Scenes.size() << " scenes)\n";
  return 0;
}

}  // namespace

void RegisterBuild(CLI::App& app, int& exit_code) {
  CLI::App* build = app.add_subcommand(
      "build", "Build a saver: a copy of the player with the show of MANIFEST appended");
  auto options = std::make_shared<BuildOptions>();
  build->add_option("MANIFEST", options->manifest, "the show's manifest (TOML)")->required();
  build->add_option("-o,--output", options->output, "the saver file to write")->required();
  build->add_option("--player", options->player,
                    "the player program to copy (default: the scenesaver built beside scenepack)");
  build
      ->add_option("--target", options->target,
                   "linux (default) or windows: which default player to copy; a Windows saver "
                   "is installed like any other .scr file")
      ->check(CLI::IsMember({"linux", "windows"}));
  build->footer(
      "Manifest keys: size = [W, H]; background = \"#RRGGBB\"; has_settings = true|false;\n"
      "music = \"file\" (music_name = stored name); then per scene a [[scenes]] table with\n"
      "picture, picture_name, sound, sound_name, display_ms, left, top, effect (0 to 29 or\n"
      "a name such as \"EffectWipeFromLeft\"), overlay, transparent. Paths are relative to\n"
      "the manifest. Exit status: 0 written, 1 a problem with the manifest, media or output.");
  build->callback([options, &exit_code] { exit_code = RunBuild(*options); });
}

}  // namespace scenesaver::scenepack
