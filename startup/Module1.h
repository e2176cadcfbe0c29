// Module-level state of the start-up module, shared read-only with the other modules for the
// whole run. One object, owned by the entry and passed by reference.
#pragma once

#include <cstdint>
#include <string>

#include "startup/PackageRecord.h"

namespace Module1 {

inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;

struct State {
  Package PackageRecord;
  std::string SettingsFilePath;
  std::int16_t MusicEnabled = kFalse;
  std::int16_t SoundEnabled = kFalse;
  // Full path of the temporary folder, always ending with the path separator.
  std::string TempFolder;
  // Raised by input, polled by the scene loop and every transition.
  std::int16_t QuitFlag = kFalse;
};

}  // namespace Module1
