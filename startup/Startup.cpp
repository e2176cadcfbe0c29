#include "startup/Startup.h"

#include <optional>

#include "base/Texts.h"
#include "package/PackageFormat.h"
#include "platform/InstanceLock.h"
#include "platform/PrivateFolder.h"
#include "platform/SettingsReader.h"
#include "presentation/Form1.h"
#include "settings/SettingsFile.h"
#include "settings/frmSetting.h"
#include "startup/CommandLine.h"
#include "startup/Extraction.h"

namespace scenesaver::startup {

namespace {

// The start-up's failure policy: a step that fails is skipped, silently, and the next one runs.
template <typename Step>
void Guarded(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

constexpr std::string_view kScreenSaverPasswordKey = "SCRSAVE";

// The message that stops the show before it begins. Over covered screens it comes on the
// cover, and the cover goes only with the password.
void StopShowWithMessage(platform::StartupHost& host, bool covered, std::string_view text,
                         std::string_view caption) {
  platform::ShowHost* show = nullptr;
  if (covered) {
    Guarded([&] {
      if (base::Result<platform::ShowHost*> shown = host.Show()) show = shown.value();
    });
  }
  if (show == nullptr) {
    Guarded([&] { host.MessageBox(text, caption, platform::MessageIcon::kInformation); });
    return;
  }
  Guarded([&] { show->MessageBox(text, caption, platform::MessageIcon::kInformation); });
  Guarded([&] {
    show->ShowWindow();
    show->MakeTopmost();
    while (show->ReadScreenSaveUsePassword().value_or(0) != 0 &&
           show->VerifyScreenSavePwd() != platform::PasswordVerdict::kAccepted) {
    }
  });
}

// S1 to S7. Returns the exit code. `covered`: the screens are covered already.
int RunShow(package::ShowState& module1, std::optional<platform::OwnedFolder>& private_folder,
            platform::StartupHost& host, const Windows& windows, bool covered) {
  // S1-S3: the private folder stands in for the Windows directory.
  if (!private_folder) Guarded([&] { private_folder = platform::OpenPrivateFolder(); });
  if (!private_folder) {
    StopShowWithMessage(host, covered, base::Tr(kCannotRun), kCannotRunCaption);
    return kExitNoWindowsDirectory;
  }
  // S4: the folder lives until the end of this function; its destructor removes whatever is
  // left of it, also when a step below fails.
  std::optional<platform::ExtractFolder> folder = MakeTemporaryFolder(*private_folder);
  // S5 to S7
  const base::Result<void> shown = ExtractAndPresent(
      module1, folder ? &*folder : nullptr, private_folder->path, [&] { return host.Show(); },
      windows);
  if (!shown) {
    Guarded([&] { host.ReportFailure(shown.error()); });
    return kExitNoDisplay;
  }
  return module1.FailedAtRunTime ? kExitShowFailed : kExitNormal;
}

// C1, C2. Returns the exit code: a dialog that cannot be shown is told like a show that
// cannot be, and the program ends with a failure.
int RunSettings(const package::ShowState& module1, platform::StartupHost& host,
                const Windows& windows) {
  if (module1.PackageRecord.HasSettings == 0) {
    Guarded([&] {
      host.MessageBox(base::Tr(kNoSettings), base::Tr(kNoSettingsCaption),
                      platform::MessageIcon::kInformation);
    });
    return kExitNormal;
  }
  base::Result<void> shown;
  Guarded([&] { shown = windows.settings_show_modal(module1, host); });
  if (!shown) {
    Guarded([&] { host.ReportFailure(shown.error()); });
    return kExitNoDialog;
  }
  return kExitNormal;
}

// A1 to A3
void RunPasswordChange(std::string_view argument_text, platform::StartupHost& host) {
  std::int64_t handle = 0;
  Guarded([&] { handle = ParentWindowHandle(argument_text).value_or(0); });
  if (handle == 0) Guarded([&] { handle = host.GetForegroundWindow(); });
  Guarded([&] { host.PwdChangePasswordA(kScreenSaverPasswordKey, handle); });
}

// The show inside the window after "/P", silent. Without such a window nothing happens. The
// single-instance lock is let go first: the preview runs as long as the settings panel is open,
// and neither the panel's full-screen trial nor the system's own start of the saver may be
// turned away meanwhile.
int RunPreview(std::string_view argument_text, package::ShowState& module1,
               std::optional<platform::InstanceLock>& instance,
               std::optional<platform::OwnedFolder>& private_folder, platform::StartupHost& host,
               const Windows& windows) {
  const std::optional<std::int32_t> parent = PreviewWindowHandle(argument_text);
  if (!parent) return kExitNormal;
  std::optional<base::Result<platform::ShowHost*>> preview;
  Guarded([&] { preview = host.Preview(*parent); });
  if (!preview || !*preview) return kExitNormal;
  instance.reset();
  module1.MusicEnabled = 0;
  module1.SoundEnabled = 0;
  if (!private_folder) return kExitNormal;
  std::optional<platform::ExtractFolder> folder = MakeTemporaryFolder(*private_folder);
  platform::ShowHost* const show_host = preview->value();
  const base::Result<void> shown = ExtractAndPresent(
      module1, folder ? &*folder : nullptr, private_folder->path,
      [show_host]() -> base::Result<platform::ShowHost*> { return show_host; }, windows);
  return shown && !module1.FailedAtRunTime ? kExitNormal : kExitShowFailed;
}

}  // namespace

std::optional<platform::ExtractFolder> MakeTemporaryFolder(
    const platform::OwnedFolder& private_folder) {
  std::optional<platform::ExtractFolder> folder;
  Guarded([&] { folder = platform::ExtractFolder::CreateNumbered(private_folder.path); });
  return folder;
}

base::Result<void> ExtractAndPresent(package::ShowState& show, platform::ExtractFolder* folder,
                                     const std::string& private_folder_path,
                                     const ShowHostSource& show_host, const Windows& windows) {
  // Without a folder the show still runs, finding none of its files: "temp0" is never made, so
  // nothing is read from elsewhere (an empty TempFolder would make the names relative).
  show.TempFolder = folder != nullptr ? folder->Path() : private_folder_path + "temp0/";
  // S5, S6
  if (folder != nullptr) {
    Guarded([&] { show.ExtractedFiles = ExtractPackageFiles(show.PackageRecord, *folder); });
  }
  // S7
  effects::State effects;
  std::optional<base::Result<platform::ShowHost*>> host;
  Guarded([&] { host = show_host(); });
  if (host && *host) Guarded([&] { windows.form1_load(show, effects, *host->value()); });
  if (folder != nullptr) Guarded([&] { windows.form1_unload(show, *folder); });
  if (!host) return base::Error{"the presentation window cannot be created"};
  if (!*host) return base::Error{host->error()};
  return {};
}

void ReadSettingsInto(package::ShowState& show, const ProgramFiles& files) {
  show.SettingsFilePath = files.settings_path;
  show.UserSettingsFilePath = files.user_settings_path;
  const platform::StoredSettings settings = platform::ReadSettingsFile(
      settings::FileToRead({show.SettingsFilePath, show.UserSettingsFilePath}));
  show.MusicEnabled = settings.music;
  show.SoundEnabled = settings.sound;
}

ProgramFiles ProgramFilesFor(const std::string& program_path) {
#ifdef _WIN32
  const std::size_t slash = program_path.find_last_of("\\/");
#else
  const std::size_t slash = program_path.rfind('/');
#endif
  const std::string folder = slash == std::string::npos ? "" : program_path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? program_path : program_path.substr(slash + 1);
  if (const std::size_t dot = base.rfind('.'); dot != std::string::npos && dot > 0) {
    base.erase(dot);
  }
  return {folder + base + ".scr", folder + base + ".set", platform::UserSettingsPath(base)};
}

Windows Windows::Real() {
  return {presentation::Form_Load, presentation::Form_Unload, settings::ShowModal};
}

int Main(std::string_view argument_text, platform::StartupHost& host,
         const std::string& program_path, const Windows& windows) {
  package::ShowState module1;

  // 2. A second instance ends at once, before anything is read. Without a private folder no
  // test is possible; the start-up goes on (show mode then stops at S2).
  std::optional<platform::OwnedFolder> private_folder;
  std::optional<platform::InstanceLock> instance;
  Guarded([&] {
    private_folder = platform::OpenPrivateFolder();
    if (private_folder) instance.emplace(*private_folder);
  });
  if (instance && instance->Result() == platform::InstanceLock::Outcome::kHeldByOther) {
    return kExitNormal;
  }

  const StartMode mode = ModeOf(argument_text);
  // With the password in use the show covers the screens before it reads anything, so that the
  // load, the extraction and any failure before the first scene happen behind the cover.
  bool covered = false;
  if (mode == StartMode::kShow) Guarded([&] { covered = host.CoverScreensForShow(); });

  const ProgramFiles files = ProgramFilesFor(program_path);
  // 3
  Guarded([&] { module1.PackageRecord = package::LoadPackageFromFile(files.package_path).record; });
  // 4, 5
  Guarded([&] { ReadSettingsInto(module1, files); });
  // 6
  switch (mode) {
    case StartMode::kShow:
      return RunShow(module1, private_folder, host, windows, covered);
    case StartMode::kSettings:
      return RunSettings(module1, host, windows);
    case StartMode::kPasswordChange:
      RunPasswordChange(argument_text, host);
      break;
    case StartMode::kPreview:
      return RunPreview(argument_text, module1, instance, private_folder, host, windows);
    case StartMode::kNone:
      break;
  }
  // 7
  return kExitNormal;
}

}  // namespace scenesaver::startup
