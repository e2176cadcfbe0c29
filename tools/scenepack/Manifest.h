// The manifest (TOML) that describes a show, and the package it turns into.
//
//   size = [800, 600]            # presentation area, pixels (also "800x600", "800 × 600")
//   background = "#102040"       # or the stored number 0x00BBGGRR
//   has_settings = true          # or a 16-bit number
//   fit = "contain"              # every scene's default: none (the default), contain, cover,
//   shrink jpeg_quality = 92            # for pictures the build converts to JPEG music =
//   "media/tune.mid"     # optional; music_name overrides the stored name
//   [[scenes]]
//   picture = "media/a.jpg"      # picture_name overrides the stored name
//   sound = "media/a.wav"        # optional; sound_name likewise
//   display_ms = 4000
//   fit = "cover"                # this scene's fit
//   left = 0                     # or position = "centre"; a fit other than none centres
//   top = 0
//   effect = "EffectWipeFromLeft"  # or 0 (cut) to 29
//   overlay = false
//   transparent = false
//
// Paths are relative to the manifest's folder. Stored names default to the file's name; one the
// package cannot hold is replaced by a stable name (see StoredNames.h).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "package/PackageRecord.h"
#include "tools/scenepack/Fit.h"
#include "tools/scenepack/StoredNames.h"

namespace scenesaver::scenepack {

// How the build fits and places a scene's picture once it is decoded.
struct ScenePlacement {
  Fit fit = Fit::kNone;
  bool centred = false;  // position = "centre", or a fit other than none without left or top
  std::string source;    // the picture file as the manifest gives it, for messages
};

// The name each media file asks for, before the names are assigned.
struct MediaName {
  std::string wanted;   // UTF-8
  bool chosen = false;  // from a *_name key
};
struct MediaNames {
  MediaName music;
  std::vector<MediaName> pictures;
  std::vector<MediaName> sounds;
};

struct ManifestResult {
  package::Package package;  // PackageLength set to the serialized length
  std::vector<std::string> warnings;
  std::string error;                       // empty when the manifest and its media were read
  std::vector<ScenePlacement> placements;  // one per scene
  MediaNames names;
  std::vector<std::string> renamed;  // files stored under another name than their own
  int jpeg_quality = 92;
};

// Reads a manifest and the media it names. The pictures are read as they are; the build then
// decodes and fits them (ShowPictures.h).
ManifestResult ReadManifest(const std::filesystem::path& manifest);

// The same for manifest text held in memory: `label` names it in messages and media paths are
// relative to `folder`.
ManifestResult ReadManifestText(const std::string& text, const std::string& label,
                                const std::filesystem::path& folder);

// Names every media file of `package` (the music, then each scene's picture and sound).
StoredNames NameStoredMedia(package::Package& package, const MediaNames& names);

// Sets PackageLength; an error when the package cannot hold its contents.
std::string SetPackageLength(package::Package& package);

// Where the media of an extracted package were written, relative to the manifest's folder;
// empty for data that is absent.
struct MediaPaths {
  std::string music;
  std::vector<std::string> pictures;
  std::vector<std::string> sounds;
};

// `text` as a TOML basic string, quotes included.
std::string TomlQuoted(const std::string& text);

// The manifest text that rebuilds `package` from the media at `paths`.
std::string ManifestText(const package::Package& package, const MediaPaths& paths,
                         const std::string& source_name);

}  // namespace scenesaver::scenepack
