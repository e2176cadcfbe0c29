// scenepack extract: writes a saver's media and a manifest from which build makes it again.
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <memory>

#include "package/PackageFormat.h"
#include "package/PackageText.h"
#include "tools/scenepack/Manifest.h"
#include "tools/scenepack/MediaFiles.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {
namespace {

namespace fs = std::filesystem;

constexpr const char* kManifestName = "manifest.toml";

struct ExtractOptions {
  std::string file;
  std::string folder;
};

// Chooses a file name for each piece of data: its stored name where that is a safe, free
// file name, otherwise a made-up one. The same name with the same bytes is written once.
class MediaWriter {
 public:
  explicit MediaWriter(fs::path folder) : folder_(std::move(folder)) {
    used_[kManifestName] = nullptr;
  }

  // Returns the file's name within the folder, or empty for absent data.
  std::string Write(const package::AnsiString& stored, const package::ByteArray& data,
                    const std::string& fallback, std::string& error) {
    if (!data.present) return {};
    std::string name = package::AnsiToUtf8(stored);
    auto it = used_.find(name);
    if (it != used_.end() && it->second && it->second->bytes == data.bytes) return name;
    if (!Safe(name) || it != used_.end()) name = fallback;
    for (int n = 2; used_.count(name); ++n) name = fallback + "-" + std::to_string(n);
    used_[name] = &data;
    if (!WriteFileAtomically(folder_ / name, {&data.bytes},
                             fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read | fs::perms::others_read,
                             error)) {
      return {};
    }
    return name;
  }

 private:
  static bool Safe(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > 200) return false;
    for (const char c : name) {
      if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
    }
    return name.find("\uFFFD") == std::string::npos;
  }

  fs::path folder_;
  std::map<std::string, const package::ByteArray*> used_;
};

int RunExtract(const ExtractOptions& options) {
  const package::LoadResult r = package::LoadPackageFromFile(options.file);
  if (r.problem) {
    std::cerr << "scenepack extract: " << options.file << ": at file offset " << r.problem->offset
              << ": " << r.problem->message << "; nothing extracted\n";
    return 1;
  }
  const package::Package& p = r.record;
  const fs::path folder = options.folder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::cerr << "scenepack extract: cannot create '" << options.folder << "': " << ec.message()
              << "\n";
    return 1;
  }
  MediaWriter writer(folder);
  MediaPaths paths;
  std::string error;
  paths.music = writer.Write(p.MusicFileName, p.MusicData, "music", error);
  for (std::size_t i = 0; i < p.Scenes.size() && error.empty(); ++i) {
    const std::string scene = "scene" + std::to_string(i);
    paths.pictures.push_back(writer.Write(p.Scenes[i].PictureFileName, p.Scenes[i].PictureData,
                                          scene + "-picture", error));
    paths.sounds.push_back(
        writer.Write(p.Scenes[i].SoundFileName, p.Scenes[i].SoundData, scene + "-sound", error));
  }
  if (error.empty()) {
    const std::string text = ManifestText(p, paths, fs::path(options.file).filename().string());
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    WriteFileAtomically(folder / kManifestName, {&bytes},
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::others_read,
                        error);
  }
  if (!error.empty()) {
    std::cerr << "scenepack extract: " << error << "\n";
    return 1;
  }
  auto check_name = [&](const package::AnsiString& name) {
    const std::string utf8 = package::AnsiToUtf8(name);
    if (package::Utf8ToAnsi(utf8) != name) {
      std::cerr << "scenepack extract: warning: the stored name '" << utf8
                << "' is not valid code page 932; a rebuild stores it differently\n";
    }
  };
  auto check_bound = [&](const std::string& what, bool present, std::int32_t lower_bound) {
    if (present && lower_bound != 0) {
      std::cerr << "scenepack extract: warning: " << what << " starts at index " << lower_bound
                << "; a rebuild stores it from 0\n";
    }
  };
  check_name(p.MusicFileName);
  check_bound("the music data", p.MusicData.present, p.MusicData.lower_bound);
  check_bound("the scene list", p.ScenesPresent, p.ScenesLowerBound);
  for (std::size_t i = 0; i < p.Scenes.size(); ++i) {
    const package::SceneRecord& s = p.Scenes[i];
    check_name(s.PictureFileName);
    check_name(s.SoundFileName);
    const std::string scene = "scene " + std::to_string(i);
    check_bound(scene + "'s picture data", s.PictureData.present, s.PictureData.lower_bound);
    check_bound(scene + "'s sound data", s.SoundData.present, s.SoundData.lower_bound);
  }
  std::cout << "scenepack extract: wrote " << (folder / kManifestName).string()
            << " and the media of " << p.Scenes.size() << " scenes\n";
  return 0;
}

}  // namespace

void RegisterExtract(CLI::App& app, int& exit_code) {
  CLI::App* extract = app.add_subcommand(
      "extract", "Write a saver's media and a manifest.toml that build turns into the same saver");
  auto options = std::make_shared<ExtractOptions>();
  extract->add_option("FILE", options->file, "the saver file")->required();
  extract->add_option("DIR", options->folder, "the folder to write into (made when missing)")
      ->required();
  extract->footer("Exit status: 0 written, 1 no package, a damaged one, or a write failure.");
  extract->callback([options, &exit_code] { exit_code = RunExtract(*options); });
}

}  // namespace scenesaver::scenepack
