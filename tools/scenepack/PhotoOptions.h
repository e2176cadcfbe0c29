// The command-line options of a show made from a folder of photos, shared by `build --photos`
// and `init`.
#pragma once

#include "tools/scenepack/PhotoFolder.h"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace scenesaver::scenepack {

// Adds --size, --music, --seconds, --effects, --shuffle, --seed and --quality to `app`; each
// needs `needs` when it is given (--photos for build).
void AddPhotoShowOptions(CLI::App& app, PhotoShowOptions& options, CLI::Option* needs = nullptr);

}  // namespace scenesaver::scenepack
