// The show as the start-up loaded it: the package, the user's settings, the temporary folder and
// the quit flag. One object, owned by the entry and passed by reference to the presentation
// and the settings dialog.
#pragma once

#include <cstdint>
#include <string>

#include "base/Numbers.h"
#include "package/PackageRecord.h"

namespace scenesaver::package {

struct ShowState {
  Package PackageRecord;
  std::string SettingsFilePath;
  std::int16_t MusicEnabled = base::kFalse;
  std::int16_t SoundEnabled = base::kFalse;
  // Full path of the temporary folder, always ending with the path separator.
  std::string TempFolder;
  // Raised by input, polled by the scene loop and every transition.
  std::int16_t QuitFlag = base::kFalse;
  // Set when the show ended with a failure message, so that the process reports it.
  bool FailedAtRunTime = false;
};

}  // namespace scenesaver::package
