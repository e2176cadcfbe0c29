// scenepack build: a copy of the player with the package of a manifest, or of a folder of
// photos, appended.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <iostream>
#include <memory>

#include "package/PackageFormat.h"
#include "tools/scenepack/Manifest.h"
#include "tools/scenepack/MediaFiles.h"
#include "tools/scenepack/PhotoOptions.h"
#include "tools/scenepack/ShowPictures.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {
namespace {

namespace fs = std::filesystem;

struct BuildOptions {
  std::string manifest;
  std::string photos;
  PhotoShowOptions photo_show;
  std::string output;
  std::string player;
  std::string target = "linux";
};

// "scenepack build: pictures 7/20" on a terminal once the pictures have taken more than a
// second; nothing when standard error is not a terminal. The line is cleared at the end.
class ProgressLine {
 public:
  ProgressLine() : terminal_(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() {
    if (shown_) std::cerr << "\r\033[K" << std::flush;
  }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  void Show(std::size_t done, std::size_t total) {
    if (!terminal_ || done == total) return;
    if (!shown_ && std::chrono::steady_clock::now() - start_ < std::chrono::seconds(1)) return;
    shown_ = true;
    std::cerr << "\rscenepack build: pictures " << done << "/" << total << std::flush;
  }

 private:
  bool terminal_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The saver beside the manifest (show.toml -> show.scr) or the folder (photos -> photos.scr).
std::string DefaultOutput(const BuildOptions& options) {
  if (options.photos.empty()) {
    return fs::path(options.manifest).replace_extension(".scr").string();
  }
  std::error_code ec;
  fs::path folder = fs::absolute(options.photos, ec).lexically_normal();
  if (folder.filename().empty()) folder = folder.parent_path();
  return (fs::path(options.photos) / ".." / (folder.filename().string() + ".scr"))
      .lexically_normal()
      .string();
}

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

void PrintWarnings(const ManifestResult& manifest) {
  for (const std::string& warning : manifest.warnings) {
    std::cerr << "scenepack build: warning: " << warning << "\n";
  }
}

int RunBuild(const BuildOptions& options) {
  ManifestResult manifest;
  std::string label = options.manifest;
  if (!options.photos.empty()) {
    label = options.photos;
    const PhotoShow show = MakePhotoShow(options.photo_show);
    if (!show.error.empty()) {
      std::cerr << "scenepack build: " << show.error << "\n";
      return 1;
    }
    if (show.seed) {
      std::cout << "scenepack build: random choices drawn with --seed " << *show.seed
                << " (give it again for the same show)\n";
    }
    manifest = ReadManifestText(show.manifest, label, ".");
  } else {
    manifest = ReadManifest(options.manifest);
  }
  if (!manifest.error.empty()) {
    PrintWarnings(manifest);
    std::cerr << "scenepack build: " << manifest.error << "\n";
    return 1;
  }
  PreparedPictures pictures;
  {
    ProgressLine progress;
    pictures = PrepareShowPictures(
        manifest, label,
        [&progress](std::size_t done, std::size_t total) { progress.Show(done, total); });
  }
  PrintWarnings(manifest);
  if (!pictures.error.empty()) {
    std::cerr << "scenepack build: " << pictures.error << "\n";
    return 1;
  }
  const std::string output = options.output.empty() ? DefaultOutput(options) : options.output;
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
  if (!WriteFileAtomically(output, {&player, &package}, executable, error)) {
    std::cerr << "scenepack build: " << error << "\n";
    return 1;
  }
  for (const std::string& note : pictures.notes) std::cout << "scenepack build: " << note << "\n";
  for (const std::string& renamed : manifest.renamed) {
    std::cout << "scenepack build: " << renamed << "\n";
  }
  std::cout << "scenepack build: wrote " << output << " (" << player.size() << " bytes of player, "
            << package.size() << " bytes of package, " << manifest.package.Scenes.size()
            << " scenes)\n";
  return 0;
}

}  // namespace

void RegisterBuild(CLI::App& app, int& exit_code) {
  CLI::App* build = app.add_subcommand(
      "build",
      "Build a saver: a copy of the player with the show of MANIFEST, or of a folder of photos, "
      "appended");
  auto options = std::make_shared<BuildOptions>();
  CLI::Option* manifest =
      build->add_option("MANIFEST", options->manifest, "the show's manifest (TOML)");
  CLI::Option* photos = build->add_option(
      "--photos", options->photos,
      "a show of every picture in this folder instead of a manifest: each fitted inside the "
      "area (contain) and centred");
  manifest->excludes(photos);
  build->add_option("-o,--output", options->output,
                    "the saver file to write (default: beside the manifest or the folder, named "
                    "after it, ending in .scr)");
  AddPhotoShowOptions(*build, options->photo_show, photos);
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
      "a name such as \"EffectWipeFromLeft\"), overlay, transparent, fit (none, contain, cover,\n"
      "shrink; also show-wide), position = \"centre\"; jpeg_quality = 1 to 100 for converted\n"
      "pictures. Paths are relative to the manifest. Every picture is decoded: one the player\n"
      "cannot show as it is (another format, EXIF rotation, a fit, transparency) is converted.\n"
      "Exit status: 0 written, 1 a problem with the manifest, media or output, 2 bad usage.");
  build->callback([options, &exit_code] {
    if (options->manifest.empty() && options->photos.empty()) {
      throw CLI::RequiredError("MANIFEST is required (or --photos DIR)",
                               CLI::ExitCodes::RequiredError);
    }
    options->photo_show.folder = options->photos;
    exit_code = RunBuild(*options);
  });
}

}  // namespace scenesaver::scenepack
