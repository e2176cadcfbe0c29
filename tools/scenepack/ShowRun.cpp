#include "tools/scenepack/ShowRun.h"

#include "package/PackageFormat.h"
#include "package/ShowState.h"
#include "platform/ExtractFolder.h"
#include "platform/PrivateFolder.h"
#include "startup/Startup.h"

namespace scenesaver::scenepack {

ShowRunOutcome RunShowOf(const std::string& saver_path, platform::ShowHost& host,
                         const ShowLoaded& loaded_callback) {
  package::ShowState show;
  package::LoadResult loaded = package::LoadPackageFromFile(saver_path);
  if (loaded.problem) {
    return {saver_path + ": " + loaded.problem->message + " (at byte " +
            std::to_string(loaded.problem->offset) + ")"};
  }
  show.PackageRecord = std::move(loaded.record);
  startup::ReadSettingsInto(show, startup::ProgramFilesFor(saver_path));
  if (loaded_callback) loaded_callback(show);

  const std::optional<platform::OwnedFolder> private_folder = platform::OpenPrivateFolder();
  if (!private_folder) return {std::string("no private folder for the temporary files")};
  std::optional<platform::ExtractFolder> folder = startup::MakeTemporaryFolder(*private_folder);
  if (!folder) return {"cannot make a temporary folder in " + private_folder->path};
  const base::Result<void> shown =
      startup::ExtractAndPresent(show, &*folder, private_folder->path,
                                 [&]() -> base::Result<platform::ShowHost*> { return &host; });
  if (!shown) return {shown.error()};
  return {std::nullopt, show.FailedAtRunTime};
}

}  // namespace scenesaver::scenepack
