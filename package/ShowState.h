// The show as the start-up loaded it: the package, the user's settings, the temporary folder and
// the quit flag. One object, owned by the entry and passed by reference to the presentation
// and the settings dialog.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "base/Numbers.h"
#include "package/PackageRecord.h"

namespace scenesaver::package {

struct ShowState {
  Package PackageRecord;
  // The settings file beside the program, and the user's own (empty when there is none to
  // have), which wins whenever it exists.
  std::string SettingsFilePath;
  std::string UserSettingsFilePath;
  std::int16_t MusicEnabled = base::kFalse;
  std::int16_t SoundEnabled = base::kFalse;
  // Full path of the temporary folder, always ending with the path separator.
  std::string TempFolder;
  // Extraction's own record: for each stored name it wrote, the path it wrote. Media are read
  // only through it, so a name it refused or did not write is never opened.
  std::map<std::string, std::string, std::less<>> ExtractedFiles;
  // Raised by input, polled by the scene loop and every transition.
  std::int16_t QuitFlag = base::kFalse;
  // Set when the show ended with a failure message, so that the process reports it.
  bool FailedAtRunTime = false;
};

// The path extraction wrote for `name`; nullptr when it wrote none.
inline const std::string* ExtractedPath(const ShowState& show, std::string_view name) {
  const auto found = show.ExtractedFiles.find(name);
  return found == show.ExtractedFiles.end() ? nullptr : &found->second;
}

}  // namespace scenesaver::package
