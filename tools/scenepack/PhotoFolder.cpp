#include "tools/scenepack/PhotoFolder.h"

#include <algorithm>
#include <random>
#include <sstream>

#include "tools/scenepack/EffectNames.h"
#include "tools/scenepack/Manifest.h"

namespace scenesaver::scenepack {
namespace {

namespace fs = std::filesystem;

constexpr int kEffectCount = 29;

bool PictureExtension(const fs::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  for (const char* known : {".jpg", ".jpeg", ".jpe", ".jfif", ".png", ".gif", ".bmp", ".webp",
                            ".tif", ".tiff", ".heic", ".heif", ".avif", ".jxl"}) {
    if (ext == known) return true;
  }
  return false;
}

// An index below `bound` from the generator's raw output, the same on every standard library
// (the library's distributions are not), so that a seed gives the same show everywhere.
std::size_t Below(std::mt19937_64& random, std::size_t bound) {
  return static_cast<std::size_t>(random() % bound);
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<fs::path> PictureFiles(const fs::path& folder, std::string& error) {
  std::vector<fs::path> files;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    error = "cannot read the folder '" + folder.string() + "': " + ec.message();
    return {};
  }
  for (const fs::directory_entry& entry : it) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with(".") || !PictureExtension(entry.path())) continue;
    if (!entry.is_regular_file(ec)) continue;
    files.push_back(folder / entry.path().filename());
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    return a.filename().string() < b.filename().string();
  });
  if (files.empty()) error = "no pictures in '" + folder.string() + "'";
  return files;
}

std::vector<int> ChooseEffects(const std::string& effects, std::size_t count, std::uint64_t seed,
                               std::string& error) {
  std::vector<int> chosen;
  if (effects == "all") {
    for (std::size_t i = 0; i < count; ++i)
      chosen.push_back(static_cast<int>(i % kEffectCount) + 1);
    return chosen;
  }
  if (effects == "random") {
    std::mt19937_64 random(seed ^ 0x5EEDEFFEC7ULL);  // not the shuffle's sequence
    for (std::size_t i = 0; i < count; ++i) {
      chosen.push_back(static_cast<int>(Below(random, kEffectCount)) + 1);
    }
    return chosen;
  }
  std::vector<int> list;
  std::istringstream in(effects);
  for (std::string item; std::getline(in, item, ',');) {
    item = Trimmed(item);
    if (const std::optional<int> number = EffectNumber(item)) {
      list.push_back(*number);
    } else if (!item.empty() && item.size() <= 2 &&
               item.find_first_not_of("0123456789") == std::string::npos &&
               std::stoi(item) <= kEffectCount) {
      list.push_back(std::stoi(item));
    } else {
      const std::string_view guess = ClosestEffectName(item);
      error = "--effects: unknown effect '" + item + "'" +
              (guess.empty() ? " (all, random, or names such as EffectWipeFromLeft, or 0 to 29)"
                             : "; did you mean " + std::string(guess) + "?");
      return {};
    }
  }
  if (list.empty()) {
    error = "--effects: give all, random, or a comma-separated list of effects";
    return {};
  }
  for (std::size_t i = 0; i < count; ++i) chosen.push_back(list[i % list.size()]);
  return chosen;
}

PhotoShow MakePhotoShow(const PhotoShowOptions& options) {
  PhotoShow show;
  show.pictures = PictureFiles(options.folder, show.error);
  if (!show.error.empty()) return show;
  const bool random = options.shuffle || options.effects == "random";
  const std::uint64_t seed = options.seed ? *options.seed : std::random_device{}();
  if (random) show.seed = seed;
  if (options.shuffle) {
    std::mt19937_64 generator(seed);
    for (std::size_t i = show.pictures.size(); i > 1; --i) {
      std::swap(show.pictures[i - 1], show.pictures[Below(generator, i)]);
    }
  }
  const std::vector<int> effects =
      ChooseEffects(options.effects, show.pictures.size(), seed, show.error);
  if (!show.error.empty()) return show;

  std::ostringstream out;
  out << "# A show of the pictures in " << options.folder.string()
      << "; `scenepack build` makes a saver from it.\n";
  if (show.seed) {
    out << "# " << (options.shuffle ? "Order" : "Effects") << " drawn with --seed " << seed
        << ".\n";
  }
  out << "size = [" << options.size.width << ", " << options.size.height << "]\n";
  out << "background = \"#000000\"\n";
  out << "fit = \"contain\"\n";
  if (options.jpeg_quality != 92) out << "jpeg_quality = " << options.jpeg_quality << "\n";
  if (!options.music.empty()) out << "music = " << TomlQuoted(options.music) << "\n";
  for (std::size_t i = 0; i < show.pictures.size(); ++i) {
    out << "\n[[scenes]]\n";
    out << "picture = " << TomlQuoted(show.pictures[i].string()) << "\n";
    out << "display_ms = " << static_cast<std::int64_t>(options.seconds) * 1000 << "\n";
    const std::string_view name = EffectName(effects[i]);
    if (name.empty()) {
      out << "effect = " << effects[i] << "\n";
    } else {
      out << "effect = \"" << name << "\"\n";
    }
  }
  show.manifest = out.str();
  return show;
}

}  // namespace scenesaver::scenepack
