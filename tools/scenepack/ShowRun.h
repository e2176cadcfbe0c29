// Runs the show of a saver file on a given presentation host, the way the player's show mode
// runs it: the package and the settings file beside it, a fresh temporary folder holding the
// extracted files, the presentation, and the clean-up.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "package/ShowState.h"
#include "platform/ShowHost.h"

namespace scenesaver::scenepack {

// Called once the package and the settings are read, before the show starts.
using ShowLoaded = std::function<void(const package::ShowState&)>;

// Returns nullopt when the show ran (whatever it showed), else what kept it from starting.
std::optional<std::string> RunShowOf(const std::string& saver_path, platform::ShowHost& host,
                                     const ShowLoaded& loaded = {});

}  // namespace scenesaver::scenepack
