#include "startup/Extraction.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

namespace scenesaver::startup {

namespace {

using NameField = package::AnsiString package::SceneRecord::*;
using DataField = package::ByteArray package::SceneRecord::*;

using Record = std::map<std::string, std::string, std::less<>>;

void WriteOne(platform::ExtractFolder& folder, const package::AnsiString& name,
              const package::ByteArray& data, Record& record) {
  if (name.empty()) return;  // nothing written, nothing deleted
  // A failed write of a name written before has removed the earlier file.
  if (folder.WriteFile(name, data.bytes)) {
    record[name] = folder.Path() + name;
  } else {
    record.erase(name);
  }
}

// One pass over the scenes for one kind of file (pictures or sounds).
void WriteScenes(const package::Package& show, platform::ExtractFolder& folder, NameField name_of,
                 DataField data_of, Record& record) {
  // Names of the earlier scenes, so each scene is compared with all of them at once.
  std::unordered_set<std::string_view> earlier_names;
  // Indexes below the array's lower bound hold nothing; the first index past its end ends it.
  const std::int32_t first = std::max<std::int32_t>(0, show.ScenesLowerBound);
  for (std::int32_t i = first; i < show.SceneCount; ++i) {
    const package::SceneRecord* scene = package::SceneAt(show, i);
    if (scene == nullptr) break;
    if (earlier_names.insert(scene->*name_of).second) {
      WriteOne(folder, scene->*name_of, scene->*data_of, record);
    }
  }
}

}  // namespace

Record ExtractPackageFiles(const package::Package& show, platform::ExtractFolder& folder) {
  Record record;
  if (!show.MusicFileName.empty() && show.MusicFileName.front() != '\0') {
    WriteOne(folder, show.MusicFileName, show.MusicData, record);
  }
  WriteScenes(show, folder, &package::SceneRecord::PictureFileName,
              &package::SceneRecord::PictureData, record);
  WriteScenes(show, folder, &package::SceneRecord::SoundFileName, &package::SceneRecord::SoundData,
              record);
  return record;
}

}  // namespace scenesaver::startup
