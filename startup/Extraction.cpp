#include "startup/Extraction.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

namespace Module1 {

namespace {

using NameField = AnsiString SceneRecord::*;
using DataField = ByteArray SceneRecord::*;

void WriteOne(platform::ExtractFolder& folder, const AnsiString& name, const ByteArray& data) {
  if (name.empty()) return;  // nothing written, nothing deleted
  folder.WriteFile(name, data.bytes);
}

// One pass over the scenes for one kind of file (pictures or sounds).
void WriteScenes(const Package& package, platform::ExtractFolder& folder, NameField name_of,
                 DataField data_of) {
  // Names of the earlier scenes, so each scene is compared with all of them at once.
  std::unordered_set<std::string_view> earlier_names;
  // Indexes below the array's lower bound hold nothing; the first index past its end ends it.
  const std::int32_t first = std::max<std::int32_t>(0, package.ScenesLowerBound);
  for (std::int32_t i = first; i < package.SceneCount; ++i) {
    const SceneRecord* scene = SceneAt(package, i);
    if (scene == nullptr) break;
    if (earlier_names.insert(scene->*name_of).second) {
      WriteOne(folder, scene->*name_of, scene->*data_of);
    }
  }
}

}  // namespace

const SceneRecord* SceneAt(const Package& package, std::int32_t index) {
  if (!package.ScenesPresent) return nullptr;
  const std::int64_t position =
      static_cast<std::int64_t>(index) - static_cast<std::int64_t>(package.ScenesLowerBound);
  if (position < 0 || position >= static_cast<std::int64_t>(package.Scenes.size())) return nullptr;
  return &package.Scenes[static_cast<std::size_t>(position)];
}

void ExtractPackageFiles(const Package& package, platform::ExtractFolder& folder) {
  if (!package.MusicFileName.empty() && package.MusicFileName.front() != '\0') {
    WriteOne(folder, package.MusicFileName, package.MusicData);
  }
  WriteScenes(package, folder, &SceneRecord::PictureFileName, &SceneRecord::PictureData);
  WriteScenes(package, folder, &SceneRecord::SoundFileName, &SceneRecord::SoundData);
}

}  // namespace Module1
