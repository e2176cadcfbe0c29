// The manifest (TOML) that describes a show, and the package it turns into.
//
//   size = [800, 600]            # presentation area, pixels (also "800x600")
//   background = "#102040"       # or the stored number 0x00BBGGRR
//   has_settings = true          # or a 16-bit number
//   music = "media/tune.mid"     # optional; music_name overrides the stored name
//   [[scenes]]
//   picture = "media/a.jpg"      # picture_name overrides the stored name
//   sound = "media/a.wav"        # optional; sound_name likewise
//   display_ms = 4000
//   left = 0
//   top = 0
//   effect = "EffectWipeFromLeft"  # or 0 (cut) to 29
//   overlay = false
//   transparent = false
//
// Paths are relative to the manifest's folder. Stored names default to the file's name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "package/PackageRecord.h"

namespace scenesaver::scenepack {

struct ManifestResult {
  package::Package package;  // PackageLength set to the serialized length
  std::vector<std::string> warnings;
  std::string error;  // empty when the manifest and its media were read
};

// Reads a manifest and the media it names.
ManifestResult ReadManifest(const std::filesystem::path& manifest);

// Where the media of an extracted package were written, relative to the manifest's folder;
// empty for data that is absent.
struct MediaPaths {
  std::string music;
  std::vector<std::string> pictures;
  std::vector<std::string> sounds;
};

// The manifest text that rebuilds `package` from the media at `paths`.
std::string ManifestText(const package::Package& package, const MediaPaths& paths,
                         const std::string& source_name);

}  // namespace scenesaver::scenepack
