#include "tools/scenepack/ShowRun.h"

#include "effects/EffectModule.h"
#include "platform/SettingsReader.h"
#include "platform/posix/ExtractFolder.h"
#include "platform/posix/PrivateFolder.h"
#include "presentation/Form1.h"
#include "startup/Extraction.h"
#include "startup/Module1.h"
#include "startup/PackageFormat.h"
#include "startup/Startup.h"

namespace scenepack {

std::optional<std::string> RunShowOf(const std::string& saver_path, platform::ShowHost& host,
                                     const ShowLoaded& loaded_callback) {
  Module1::State module1;
  Module1::LoadResult loaded = Module1::LoadPackageFromFile(saver_path);
  if (loaded.problem) {
    return saver_path + ": " + loaded.problem->message + " (at byte " +
           std::to_string(loaded.problem->offset) + ")";
  }
  module1.PackageRecord = std::move(loaded.record);
  module1.SettingsFilePath = Module1::ProgramFilesFor(saver_path).settings_path;
  const platform::StoredSettings settings = platform::ReadSettingsFile(module1.SettingsFilePath);
  module1.MusicEnabled = settings.music;
  module1.SoundEnabled = settings.sound;
  if (loaded_callback) loaded_callback(module1);

  const std::optional<platform::OwnedFolder> private_folder = platform::OpenPrivateFolder();
  if (!private_folder) return std::string("no private folder for the temporary files");
  std::optional<platform::ExtractFolder> folder =
      platform::ExtractFolder::CreateNumbered(private_folder->path);
  if (!folder) return "cannot make a temporary folder in " + private_folder->path;
  module1.TempFolder = folder->Path();
  Module1::ExtractPackageFiles(module1.PackageRecord, *folder);

  EffectModule::State effects;
  Form1::Form_Load(module1, effects, host);
  Form1::Form_Unload(module1, *folder);
  return std::nullopt;
}

}  // namespace scenepack
