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

struct ShowRunOutcome {
  // What kept the show from starting; nullopt when it ran (whatever it showed).
  std::optional<std::string> problem;
  // The show ran and ended with a failure message.
  bool failed_at_run_time = false;
};

ShowRunOutcome RunShowOf(const std::string& saver_path, platform::ShowHost& host,
                         const ShowLoaded& loaded = {});

}  // namespace scenesaver::scenepack
