#include "tools/scenepack/ShowRun.h"

#include "effects/EffectModule.h"
#include "package/PackageFormat.h"
#include "package/ShowState.h"
#include "platform/SettingsReader.h"
#include "platform/posix/ExtractFolder.h"
#include "platform/posix/PrivateFolder.h"
#include "presentation/Form1.h"
#include "startup/Extraction.h"
#include "startup/Startup.h"

namespace scenesaver::scenepack {

std::optional<std::string> RunShowOf(const std::string& saver_path, platform::ShowHost& host) {
  package::ShowState module1;
  package::LoadResult loaded = package::LoadPackageFromFile(saver_path);
  if (loaded.problem) {
    return saver_path + ": " + loaded.problem->message + " (at byte " +
           std::to_string(loaded.problem->offset) + ")";
  }
  module1.PackageRecord = std::move(loaded.record);
  module1.SettingsFilePath = startup::ProgramFilesFor(saver_path).settings_path;
  const platform::StoredSettings settings = platform::ReadSettingsFile(module1.SettingsFilePath);
  module1.MusicEnabled = settings.music;
  module1.SoundEnabled = settings.sound;

  const std::optional<platform::OwnedFolder> private_folder = platform::OpenPrivateFolder();
  if (!private_folder) return std::string("no private folder for the temporary files");
  std::optional<platform::ExtractFolder> folder =
      platform::ExtractFolder::CreateNumbered(private_folder->path);
  if (!folder) return "cannot make a temporary folder in " + private_folder->path;
  module1.TempFolder = folder->Path();
  module1.ExtractedFiles = startup::ExtractPackageFiles(module1.PackageRecord, *folder);

  effects::State effects;
  presentation::Form_Load(module1, effects, host);
  presentation::Form_Unload(module1, *folder);
  return std::nullopt;
}

}  // namespace scenesaver::scenepack
