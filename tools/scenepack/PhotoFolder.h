// A show made from every picture of a folder: the manifest that `build --photos` reads and that
// `init` prints for editing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/scenepack/Fit.h"

namespace scenesaver::scenepack {

struct PhotoShowOptions {
  std::filesystem::path folder;
  PixelSize size{1920, 1080};
  std::string music;                  // a file, or empty for none
  int seconds = 5;                    // each picture's display time
  std::string effects = "all";        // all (each in turn), random, or a list of names/numbers
  bool shuffle = false;               // otherwise sorted by name
  std::optional<std::uint64_t> seed;  // for the shuffle and random effects; drawn when absent
  int jpeg_quality = 92;
};

struct PhotoShow {
  std::string manifest;  // TOML; media paths as the folder was given, so relative to the
                         // current folder when it was relative
  std::vector<std::filesystem::path> pictures;
  std::optional<std::uint64_t> seed;  // the seed used, when the order or effects are random
  std::string error;
};

// The files of `folder` taken as pictures: regular files with a picture's extension (any case),
// hidden files left out, sorted by name (byte order).
std::vector<std::filesystem::path> PictureFiles(const std::filesystem::path& folder,
                                                std::string& error);

// The effect numbers `effects` gives to `count` scenes; an error names an unknown entry.
std::vector<int> ChooseEffects(const std::string& effects, std::size_t count, std::uint64_t seed,
                               std::string& error);

PhotoShow MakePhotoShow(const PhotoShowOptions& options);

}  // namespace scenesaver::scenepack
