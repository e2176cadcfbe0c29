// Extraction's record for a show whose files were all written: every stored name the package
// holds maps to its path in the show's temporary folder.
#pragma once

#include <string>

#include "package/ShowState.h"

namespace scenesaver::testing_support {

inline void RecordEveryName(package::ShowState& show) {
  const package::Package& record = show.PackageRecord;
  auto add = [&show](const std::string& name) {
    if (!name.empty()) show.ExtractedFiles.try_emplace(name, show.TempFolder + name);
  };
  add(record.MusicFileName);
  for (const package::SceneRecord& scene : record.Scenes) {
    add(scene.PictureFileName);
    add(scene.SoundFileName);
  }
}

}  // namespace scenesaver::testing_support
