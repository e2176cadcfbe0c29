// The build's picture step: every scene's picture of a read manifest decoded, converted where
// the player could not show it as it is, fitted and placed, then the stored names assigned.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "tools/scenepack/Manifest.h"

namespace scenesaver::scenepack {

// Called after each picture with the number done and the number in all.
using PictureProgress = std::function<void(std::size_t done, std::size_t total)>;

struct PreparedPictures {
  std::string error;               // "show.toml: scenes[3].picture: 'notes.jpg': not a picture"
  std::vector<std::string> notes;  // one line per converted picture, for the build summary
};

// Updates `manifest` in place: picture data, left and top, stored names, the package length;
// warnings are added to manifest.warnings. `label` names the manifest in messages.
PreparedPictures PrepareShowPictures(ManifestResult& manifest, const std::string& label,
                                     const PictureProgress& progress = {});

}  // namespace scenesaver::scenepack
