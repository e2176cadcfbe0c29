// The program's entry: the single-instance test, the package and the settings, then the mode
// the switch selects (show, settings, password change, preview, nothing).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Texts.h"
#include "effects/EffectModule.h"
#include "package/ShowState.h"
#include "platform/ExtractFolder.h"
#include "platform/PrivateFolder.h"
#include "platform/StartupHost.h"

namespace scenesaver::startup {

// The files a program reads beside itself: its folder, its name without extension, then
// ".scr" (the package) or ".set" (the settings); and the user's own settings file of that
// name (empty where there is none to have).
struct ProgramFiles {
  std::string package_path;
  std::string settings_path;
  std::string user_settings_path;
};
ProgramFiles ProgramFilesFor(const std::string& program_path);

// The windows the start-up opens. The real ones by default; tests put their own in.
struct Windows {
  std::function<void(package::ShowState&, effects::State&, platform::ShowHost&)> form1_load;
  std::function<void(const package::ShowState&, platform::ExtractFolder&)> form1_unload;
  std::function<base::Result<void>(const package::ShowState&, platform::StartupHost&)>
      settings_show_modal;
  static Windows Real();
};

// The show mode's steps shared by the player and scenepack's play and render, after the package
// is loaded:
// The settings file, read into the show's music and sound flags: the user's own when it
// exists, else the one beside the program.
void ReadSettingsInto(package::ShowState& show, const ProgramFiles& files);
// A fresh numbered temporary folder inside the private folder; nullopt when none can be made.
std::optional<platform::ExtractFolder> MakeTemporaryFolder(
    const platform::OwnedFolder& private_folder);
// The package's files extracted into `folder`, the presentation on the host `show_host` gives
// (asked for only when the presentation starts), then the clean-up. Without a folder (null) the
// show still runs, finding none of its files. Fails, after the clean-up, with the reason when
// the host has no display or window to show on.
using ShowHostSource = std::function<base::Result<platform::ShowHost*>()>;
base::Result<void> ExtractAndPresent(package::ShowState& show, platform::ExtractFolder* folder,
                                     const std::string& private_folder_path,
                                     const ShowHostSource& show_host,
                                     const Windows& windows = Windows::Real());

// The messages of the start-up, shown through base::Tr. The caption "Corvanta" is a name and
// stays as it is.
inline constexpr const char* kCannotRun = base::Translatable("実行できません");
inline constexpr const char* kCannotRunCaption = "Corvanta";
inline constexpr const char* kNoSettings = base::Translatable("設定項目はありません");
inline constexpr const char* kNoSettingsCaption = base::Translatable("スクリーンセーバー");

inline constexpr int kExitNormal = 0;
inline constexpr int kExitNoWindowsDirectory = 1;
// The show could not be shown: no display, or no window to draw in.
inline constexpr int kExitNoDisplay = 1;
inline constexpr int kExitShowFailed = 1;  // the show ended with a failure message
inline constexpr int kExitNoDialog = 1;    // the settings dialog could not be shown

// Runs the start-up for the argument text (the command line after the program's name).
// `program_path` is the running program's real file. Returns the process exit code.
int Main(std::string_view argument_text, platform::StartupHost& host,
         const std::string& program_path, const Windows& windows = Windows::Real());

}  // namespace scenesaver::startup
