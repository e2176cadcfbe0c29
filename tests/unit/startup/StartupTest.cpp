#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "package/PackageFormat.h"
#include "platform/posix/InstanceLock.h"
#include "platform/posix/PrivateFolder.h"
#include "startup/CommandLine.h"
#include "startup/Startup.h"
#include "tests/unit/support/FakeStartupHost.h"
#include "tests/unit/support/HostileNames.h"
#include "tests/unit/support/PackageExamples.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using package::Package;
using package::SceneRecord;
using testing_support::FakeStartupHost;
using testing_support::TestSandbox;
using testing_support::TextData;
namespace fs = std::filesystem;

SceneRecord Scene(std::string picture, std::string_view picture_data, std::string sound = {},
                  std::string_view sound_data = {}) {
  SceneRecord scene;
  scene.PictureFileName = std::move(picture);
  scene.PictureData = TextData(picture_data);
  scene.SoundFileName = std::move(sound);
  if (!scene.SoundFileName.empty()) scene.SoundData = TextData(sound_data);
  scene.DisplayTime = 1000;
  return scene;
}

Package WithScenes(std::vector<SceneRecord> scenes) {
  Package package;
  package.PictureWidth = 64;
  package.PictureHeight = 48;
  package.SceneCount = static_cast<std::int32_t>(scenes.size());
  package.ScenesPresent = true;
  package.Scenes = std::move(scenes);
  return package;
}

// What one run of the start-up saw and did, through its windows.
struct Observed {
  int form1_loads = 0;
  int form1_unloads = 0;
  int settings_shown = 0;
  package::ShowState seen;                       // the module state as Form_Load received it
  std::map<std::string, std::string> extracted;  // file name -> bytes, during the show
};

class StartupTest : public ::testing::Test {
 protected:
  // Writes "demo.scr": some program bytes, then the package. Returns the package as stored.
  Package WritePlayer(Package package) {
    package.PackageLength = static_cast<std::int32_t>(package::SerializedLength(package));
    const auto bytes = package::SerializePackage(package);
    TestSandbox::WriteBytes(box_.Path("demo.scr"),
                            "\x7F"
                            "ELF program bytes" +
                                std::string(bytes.begin(), bytes.end()));
    return package;
  }

  int Start(std::string_view argument_text, Observed& run) {
    startup::Windows windows;
    windows.form1_load = [&run](package::ShowState& module1, effects::State&, platform::ShowHost&) {
      ++run.form1_loads;
      run.seen = module1;
      if (module1.TempFolder.empty()) return;
      for (const auto& entry : fs::directory_iterator(module1.TempFolder)) {
        run.extracted[entry.path().filename().string()] =
            TestSandbox::ReadBytes(entry.path().string());
      }
    };
    windows.form1_unload = [&run](const package::ShowState&, platform::ExtractFolder&) {
      ++run.form1_unloads;
    };
    windows.settings_show_modal = [&run](const package::ShowState& module1,
                                         platform::StartupHost&) -> base::Result<void> {
      ++run.settings_shown;
      run.seen = module1;
      return {};
    };
    return startup::Main(argument_text, host_, box_.Path("demo.scr"), windows);
  }

  std::vector<std::string> TempFolders() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(box_.Path("run/scenesaver"))) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with("temp")) names.push_back(name);
    }
    return names;
  }

  TestSandbox box_;
  FakeStartupHost host_;
};

TEST_F(StartupTest, SwitchesInAnyCaseChooseTheMode) {
  WritePlayer(WithScenes({}));
  for (const char* text : {"/S", "/s", "/s extra", "/S:0"}) {
    Observed run;
    EXPECT_EQ(Start(text, run), startup::kExitNormal);
    EXPECT_EQ(run.form1_loads, 1) << text;
    EXPECT_EQ(run.form1_unloads, 1) << text;
  }
  std::size_t messages = 0;
  for (const char* text : {"/c", "/C", "/c:1234", "/C 99"}) {
    Observed run;
    Start(text, run);
    EXPECT_EQ(run.form1_loads, 0) << text;
    EXPECT_EQ(host_.messages.size(), ++messages) << text;  // no settings offered: the message
  }
}

TEST_F(StartupTest, EverythingElseDoesNothingWithoutAWindow) {
  WritePlayer(WithScenes({Scene("a.jpg", "A")}));
  for (const char* text :
       {"", "-S", "-s", "S", "/", "/X", "--help", " /S", "/p 1234", "/P", "/p"}) {
    Observed run;
    EXPECT_EQ(Start(text, run), startup::kExitNormal) << text;
    EXPECT_EQ(run.form1_loads + run.settings_shown, 0) << text;
    EXPECT_TRUE(host_.Untouched()) << text;
  }
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, PreviewPlaysTheShowSilentlyInTheNamedWindowWithoutHoldingTheLock) {
  WritePlayer(WithScenes({Scene("a.jpg", "A", "a.wav", "W")}));
  host_.preview_available = true;
  Observed run;
  bool lock_free_during_show = false;
  startup::Windows windows;
  windows.form1_load = [&](package::ShowState& module1, effects::State&, platform::ShowHost& h) {
    ++run.form1_loads;
    run.seen = module1;
    EXPECT_EQ(&h, &host_.show);
    run.extracted["a.jpg"] = TestSandbox::ReadBytes(module1.TempFolder + "a.jpg");
    // The full-screen show may start meanwhile.
    const auto folder = platform::OpenPrivateFolder();
    lock_free_during_show = folder && platform::InstanceLock(*folder).Result() ==
                                          platform::InstanceLock::Outcome::kAcquired;
  };
  windows.form1_unload = startup::Windows::Real().form1_unload;
  EXPECT_EQ(startup::Main("/p 4294967295", host_, box_.Path("demo.scr"), windows),
            startup::kExitNormal);
  EXPECT_EQ(run.form1_loads, 1);
  EXPECT_EQ(host_.preview_requests, std::vector<std::int64_t>{-1}) << "32 bits, signed";
  EXPECT_EQ(host_.show_requests, 0);
  EXPECT_EQ(run.seen.MusicEnabled, 0) << "no settings file, yet silent";
  EXPECT_EQ(run.seen.SoundEnabled, 0);
  EXPECT_EQ(run.extracted["a.jpg"], "A");
  EXPECT_TRUE(lock_free_during_show);
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, PreviewWithoutAWindowEndsAtOnce) {
  WritePlayer(WithScenes({Scene("a.jpg", "A")}));
  for (const char* text : {"/P", "/p 0", "/p x12", "/p 12x", "/p 4294967296"}) {
    Observed run;
    EXPECT_EQ(Start(text, run), startup::kExitNormal) << text;
    EXPECT_TRUE(host_.preview_requests.empty()) << text << ": no window named, nothing asked";
  }
  Observed refused;
  EXPECT_EQ(Start("/p:77", refused), startup::kExitNormal);
  EXPECT_EQ(host_.preview_requests, std::vector<std::int64_t>{77});
  EXPECT_EQ(refused.form1_loads, 0) << "the host has no such window";
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, SettingsModeShowsTheDialogOnlyWhenThePackageOffersIt) {
  Package package = WithScenes({});
  package.HasSettings = -1;
  WritePlayer(package);
  Observed run;
  EXPECT_EQ(Start("/c:1234", run), startup::kExitNormal);
  EXPECT_EQ(run.settings_shown, 1);
  EXPECT_TRUE(host_.messages.empty());

  package.HasSettings = 0;
  WritePlayer(package);
  Observed without;
  EXPECT_EQ(Start("/C", without), startup::kExitNormal);
  EXPECT_EQ(without.settings_shown, 0);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "設定項目はありません");
  EXPECT_EQ(host_.messages[0].caption, "スクリーンセーバー");
  EXPECT_EQ(host_.messages[0].icon, platform::MessageIcon::kInformation);
  EXPECT_FALSE(fs::exists(box_.Path("demo.set")));
  EXPECT_EQ(host_.show_requests, 0);
}

// The real settings window through the host: shown with the stored settings; a dialog the host
// cannot create is told on the failure line, like a show without a display, and the program
// ends with a failure instead of doing nothing silently.
TEST_F(StartupTest, ASettingsDialogTheHostCannotCreateIsReportedAndEndsWithAFailure) {
  Package package = WithScenes({});
  package.HasSettings = -1;
  WritePlayer(package);
  TestSandbox::WriteBytes(box_.Path("demo.set"), std::string("\0\0\xFF\xFF", 4));
  EXPECT_EQ(startup::Main("/c", host_, box_.Path("demo.scr")), startup::kExitNormal);
  EXPECT_EQ(host_.settings_dialogs, 1);
  EXPECT_EQ(host_.settings_seen, (std::vector<bool>{false, true, true, false}));
  EXPECT_TRUE(host_.failures.empty());

  host_.settings_failure = "the settings dialog cannot be created: out of memory";
  EXPECT_EQ(startup::Main("/c", host_, box_.Path("demo.scr")), startup::kExitNoDialog);
  EXPECT_NE(startup::kExitNoDialog, startup::kExitNormal);
  EXPECT_EQ(host_.settings_dialogs, 2);
  EXPECT_EQ(host_.failures,
            std::vector<std::string>{"the settings dialog cannot be created: out of memory"});
  EXPECT_TRUE(host_.messages.empty()) << "no message box where no dialog could be made";
  EXPECT_EQ(TestSandbox::ReadBytes(box_.Path("demo.set")), std::string("\0\0\xFF\xFF", 4));
}

TEST_F(StartupTest, PasswordChangeTakesTheHandleOrTheForegroundWindow) {
  host_.foreground_window = 777;
  Observed run;
  Start("/A 1234", run);
  ASSERT_EQ(host_.password_changes.size(), 1u);
  EXPECT_EQ(host_.password_changes[0].key_name, "SCRSAVE");
  EXPECT_EQ(host_.password_changes[0].parent_window, 1234);
  EXPECT_EQ(host_.foreground_queries, 0);

  for (const char* text : {"/A:5", "/A", "/a  ", "/A 0", "/A 99999999999"}) {
    host_.password_changes.clear();
    Start(text, run);
    ASSERT_EQ(host_.password_changes.size(), 1u) << text;
    EXPECT_EQ(host_.password_changes[0].parent_window, 777) << text;
  }
  EXPECT_EQ(run.form1_loads + run.settings_shown, 0);
}

TEST(CommandLineTest, ParentWindowHandleReadsTheLeadingNumber) {
  using startup::ParentWindowHandle;
  EXPECT_EQ(ParentWindowHandle("/A 1234"), 1234);
  EXPECT_EQ(ParentWindowHandle("/A   12 34  "), 1234);  // blanks inside are ignored
  EXPECT_EQ(ParentWindowHandle("/A 56abc"), 56);
  EXPECT_EQ(ParentWindowHandle("/A 2.5"), 2);  // halves to even
  EXPECT_EQ(ParentWindowHandle("/A 3.5"), 4);
  EXPECT_EQ(ParentWindowHandle("/A -7"), -7);
  EXPECT_EQ(ParentWindowHandle("/A 1e3"), 1000);
  EXPECT_EQ(ParentWindowHandle("/A:5"), 0);
  EXPECT_EQ(ParentWindowHandle("/A"), 0);
  EXPECT_EQ(ParentWindowHandle("/A x1"), 0);
  EXPECT_EQ(ParentWindowHandle("/A 2147483647"), 2147483647);
  EXPECT_EQ(ParentWindowHandle("/A 2147483648"), std::nullopt);
  EXPECT_EQ(ParentWindowHandle("/A 1e400"), std::nullopt);

  const char* argv[] = {"scenesaver", "/A", "1234"};
  EXPECT_EQ(startup::JoinArguments(3, argv), "/A 1234");
  EXPECT_EQ(startup::JoinArguments(1, argv), "");
}

TEST(CommandLineTest, PreviewWindowHandleIsTheDecimalHandleAfterTheSwitch) {
  using startup::PreviewWindowHandle;
  EXPECT_EQ(PreviewWindowHandle("/p 1234"), 1234);
  EXPECT_EQ(PreviewWindowHandle("/P:1234"), 1234);
  EXPECT_EQ(PreviewWindowHandle("/p  66 "), 66);
  EXPECT_EQ(PreviewWindowHandle("/p 2147483648"), INT32_MIN) << "the handle's 32 bits";
  EXPECT_EQ(PreviewWindowHandle("/p 4294967296"), std::nullopt);
  EXPECT_EQ(PreviewWindowHandle("/p 12 34"), 12);
  for (const char* text : {"/p", "/p 0", "/p -5", "/p 1.5", "/p 0x10", "/p abc"}) {
    EXPECT_EQ(PreviewWindowHandle(text), std::nullopt) << text;
  }
}

TEST(CommandLineTest, ProgramFilesLieBesideTheProgram) {
  auto files = startup::ProgramFilesFor("/opt/savers/demo.scr");
  EXPECT_EQ(files.package_path, "/opt/savers/demo.scr");
  EXPECT_EQ(files.settings_path, "/opt/savers/demo.set");
  files = startup::ProgramFilesFor("/usr/bin/aquarium");
  EXPECT_EQ(files.package_path, "/usr/bin/aquarium.scr");
  EXPECT_EQ(files.settings_path, "/usr/bin/aquarium.set");
  EXPECT_EQ(startup::ProgramFilesFor("/x/my.saver.bin").settings_path, "/x/my.saver.set");
  EXPECT_EQ(startup::ProgramFilesFor("/x/.hidden").package_path, "/x/.hidden.scr");
}

TEST_F(StartupTest, SettingsDefaultOnOnlyWhenTheFileIsMissing) {
  WritePlayer(WithScenes({}));
  Observed run;
  Start("/S", run);
  EXPECT_EQ(run.seen.SettingsFilePath, box_.Path("demo.set"));
  EXPECT_EQ(run.seen.MusicEnabled, -1);
  EXPECT_EQ(run.seen.SoundEnabled, -1);

  TestSandbox::WriteBytes(box_.Path("demo.set"), std::string("\0\0\xFF\xFF", 4));
  Start("/S", run);
  EXPECT_EQ(run.seen.MusicEnabled, 0);
  EXPECT_EQ(run.seen.SoundEnabled, -1);
}

// The user's own file, named after the saver in the configuration folder, wins over the one
// beside the program whenever it exists; the show and the dialog get both places.
TEST_F(StartupTest, SettingsOfTheUserWinOverTheFileBesideTheProgram) {
  WritePlayer(WithScenes({}));
  const std::string per_user = box_.Path("config/scenesaver/demo.set");
  EXPECT_EQ(startup::ProgramFilesFor(box_.Path("demo.scr")).user_settings_path, per_user);
  TestSandbox::WriteBytes(box_.Path("demo.set"), std::string("\0\0\xFF\xFF", 4));
  fs::create_directories(box_.Path("config/scenesaver"));
  TestSandbox::WriteBytes(per_user, std::string("\xFF\xFF\0\0", 4));
  Observed run;
  Start("/S", run);
  EXPECT_EQ(run.seen.SettingsFilePath, box_.Path("demo.set"));
  EXPECT_EQ(run.seen.UserSettingsFilePath, per_user);
  EXPECT_EQ(run.seen.MusicEnabled, -1);
  EXPECT_EQ(run.seen.SoundEnabled, 0);

  // Only a plain file counts: a folder of that name leaves the file beside the program in use.
  fs::remove(per_user);
  fs::create_directory(per_user);
  Start("/S", run);
  EXPECT_EQ(run.seen.MusicEnabled, 0);
  EXPECT_EQ(run.seen.SoundEnabled, -1);

  // Neither file: both on, as ever.
  fs::remove(per_user);
  fs::remove(box_.Path("demo.set"));
  Start("/S", run);
  EXPECT_EQ(run.seen.MusicEnabled, -1);
  EXPECT_EQ(run.seen.SoundEnabled, -1);
}

TEST_F(StartupTest, ShowExtractsMusicPicturesAndSoundsThenLeavesNothing) {
  Package package = WithScenes({
      Scene("a.jpg", "picture A", "a.wav", "sound A"),
      Scene("b.jpg", "picture B"),                      // no sound: no sound file
      Scene("a.jpg", "second A", "a.wav", "second A"),  // duplicates: first scene's data
      Scene("\x95\x5C.jpg", "CP932", "bgm.mid", "sound replaces music"),
  });
  package.MusicFileName = "bgm.mid";
  package.MusicData = TextData("music");
  package = WritePlayer(package);
  ASSERT_TRUE(platform::OpenPrivateFolder());
  fs::create_directories(box_.Path("run/scenesaver/temp1"));
  TestSandbox::WriteBytes(box_.Path("run/scenesaver/temp2"), "a file");

  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNormal);
  EXPECT_EQ(run.seen.TempFolder, box_.Path("run/scenesaver/temp3/"));
  EXPECT_EQ(run.seen.PackageRecord, package);
  const std::map<std::string, std::string> expected = {
      {"a.jpg", "picture A"},
      {"b.jpg", "picture B"},
      {"\x95\x5C.jpg", "CP932"},
      {"a.wav", "sound A"},
      {"bgm.mid", "sound replaces music"},
  };
  EXPECT_EQ(run.extracted, expected);
  EXPECT_EQ(host_.show_requests, 1);
  // The earlier entries stay; the new folder is gone.
  std::vector<std::string> left = TempFolders();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"temp1", "temp2"}));
}

TEST_F(StartupTest, ScenesPastTheSceneCountAreNotExtracted) {
  Package package = WithScenes({
      Scene("a.jpg", "picture A", "a.wav", "sound A"),
      Scene("b.jpg", "picture B", "b.wav", "sound B"),
      Scene("c.jpg", "picture C", "c.wav", "sound C"),
  });
  package.SceneCount = 2;  // the array holds one scene more than the show counts
  WritePlayer(package);
  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNormal);
  EXPECT_EQ(run.extracted, (std::map<std::string, std::string>{{"a.jpg", "picture A"},
                                                               {"a.wav", "sound A"},
                                                               {"b.jpg", "picture B"},
                                                               {"b.wav", "sound B"}}));
}

TEST_F(StartupTest, HostileNamesInThePackageTouchNothingOutsideTheFolder) {
  ASSERT_TRUE(platform::OpenPrivateFolder());
  TestSandbox::WriteBytes(box_.Path("run/scenesaver/x"), "victim");
  TestSandbox::WriteBytes(box_.Path("run/x"), "victim");
  std::vector<std::string> hostile = testing_support::HostileStoredNames();
  hostile.push_back(box_.Path("run/x"));
  std::vector<SceneRecord> scenes;
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    scenes.push_back(Scene(hostile[i], "evil", hostile[hostile.size() - 1 - i], "evil"));
  }
  scenes.push_back(Scene("fine.jpg", "good"));
  Package package = WithScenes(std::move(scenes));
  package.MusicFileName = "../../x";
  package.MusicData = TextData("evil");
  WritePlayer(package);
  Observed warm_up;
  Start("", warm_up);  // creates the private folder and its lock file
  const auto before = box_.Snapshot();

  Observed run;
  Start("/S", run);
  EXPECT_EQ(run.extracted, (std::map<std::string, std::string>{{"fine.jpg", "good"}}));
  EXPECT_EQ(box_.Snapshot(), before);
}

TEST_F(StartupTest, NoFolderIsLeftWhenTheShowFails) {
  Package package = WithScenes({Scene("a.jpg", "A", "a.wav", "B")});
  package.SceneCount = 5;  // more scenes than the array holds: the rest write nothing
  WritePlayer(package);
  startup::Windows windows = startup::Windows::Real();
  int loads = 0;
  windows.form1_load = [&](package::ShowState& module1, effects::State&, platform::ShowHost&) {
    ++loads;
    EXPECT_TRUE(fs::exists(module1.TempFolder + "a.wav"));
    throw std::runtime_error("the show failed");
  };
  windows.form1_unload = [](const package::ShowState&, platform::ExtractFolder&) {
    throw std::runtime_error("the clean-up failed too");
  };
  EXPECT_EQ(startup::Main("/S", host_, box_.Path("demo.scr"), windows), startup::kExitNormal);
  EXPECT_EQ(loads, 1);
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, NoDisplayEndsTheShowWithItsReasonAndAFailingStatus) {
  WritePlayer(WithScenes({Scene("a.jpg", "A", "a.wav", "B")}));
  host_.show_available = false;
  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNoDisplay);
  EXPECT_NE(startup::kExitNoDisplay, startup::kExitNormal);
  EXPECT_EQ(run.form1_loads, 0);
  EXPECT_EQ(host_.failures, std::vector<std::string>{"no display"});
  EXPECT_TRUE(host_.messages.empty()) << "no dialog where there is no display";
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, AShowThatEndsWithAFailureMessageExitsWithStatusOne) {
  WritePlayer(WithScenes({Scene("a.jpg", "A", "", "")}));
  startup::Windows windows = startup::Windows::Real();
  bool fail = true;
  windows.form1_load = [&fail](package::ShowState& module1, effects::State&, platform::ShowHost&) {
    module1.FailedAtRunTime = fail;
  };
  EXPECT_EQ(startup::Main("/S", host_, box_.Path("demo.scr"), windows), startup::kExitShowFailed);
  EXPECT_NE(startup::kExitShowFailed, startup::kExitNormal);
  EXPECT_TRUE(TempFolders().empty());
  fail = false;
  EXPECT_EQ(startup::Main("/S", host_, box_.Path("demo.scr"), windows), startup::kExitNormal);
}

TEST_F(StartupTest, WithoutPackageTheShowStillRunsOnAnEmptyRecord) {
  Observed run;
  Start("/S", run);  // no demo.scr at all
  EXPECT_EQ(run.form1_loads, 1);
  EXPECT_EQ(run.seen.PackageRecord, Package{});
  EXPECT_TRUE(run.extracted.empty());
  EXPECT_TRUE(TempFolders().empty());
}

TEST_F(StartupTest, NoPrivateFolderStopsTheShowWithItsMessage) {
  TestSandbox::WriteBytes(box_.Path("plain"), "");
  box_.Set("XDG_RUNTIME_DIR", box_.Path("plain/run"));
  box_.Set("HOME", box_.Path("plain/home"));
  WritePlayer(WithScenes({Scene("a.jpg", "A")}));
  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNoWindowsDirectory);
  EXPECT_EQ(run.form1_loads, 0);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "実行できません");
  EXPECT_EQ(host_.messages[0].caption, "Corvanta");
  // The other modes do not need the folder.
  Start("/A 5", run);
  EXPECT_EQ(host_.password_changes.size(), 1u);
}

TEST_F(StartupTest, TheShowAsksForTheCoverBeforeItReadsItsPackage) {
  WritePlayer(WithScenes({Scene("before.jpg", "A")}));
  host_.cover_available = true;
  // What the file holds once the cover is up is what the show gets.
  host_.on_cover = [this] { WritePlayer(WithScenes({Scene("after.jpg", "B")})); };
  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNormal);
  EXPECT_EQ(host_.cover_requests, 1);
  ASSERT_EQ(run.seen.PackageRecord.Scenes.size(), 1u);
  EXPECT_EQ(run.seen.PackageRecord.Scenes[0].PictureFileName, "after.jpg");
  // The other modes cover nothing.
  host_.on_cover = nullptr;
  for (const char* text : {"/C", "/A 5", "/P", ""}) {
    Start(text, run);
    EXPECT_EQ(host_.cover_requests, 1) << text;
  }
}

TEST_F(StartupTest, BehindTheCoverNoPrivateFolderIsToldThereAndEndsOnlyWithThePassword) {
  TestSandbox::WriteBytes(box_.Path("plain"), "");
  box_.Set("XDG_RUNTIME_DIR", box_.Path("plain/run"));
  box_.Set("HOME", box_.Path("plain/home"));
  WritePlayer(WithScenes({Scene("a.jpg", "A")}));
  host_.cover_available = true;
  host_.show.use_password = 1;
  host_.show.refusals_left = 2;
  Observed run;
  EXPECT_EQ(Start("/S", run), startup::kExitNoWindowsDirectory);
  EXPECT_EQ(run.form1_loads, 0);
  EXPECT_TRUE(host_.messages.empty()) << "not over the desktop";
  EXPECT_EQ(host_.show.messages, std::vector<std::string>{"実行できません"});
  EXPECT_EQ(host_.show.password_prompts, 3);
  // Where nothing could be covered, the message is the start-up's own.
  host_.cover_available = false;
  Start("/S", run);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.show.password_prompts, 3);
}

TEST_F(StartupTest, SecondInstanceEndsAtOnceWhateverItsSwitch) {
  Package package = WithScenes({Scene("a.jpg", "A")});
  package.HasSettings = -1;
  WritePlayer(package);
  auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  platform::InstanceLock running(folder->fd.Get());
  ASSERT_EQ(running.Result(), platform::InstanceLock::Outcome::kAcquired);
  for (const char* text : {"/S", "/C", "/A 12", "/P", ""}) {
    Observed run;
    EXPECT_EQ(Start(text, run), startup::kExitNormal);
    EXPECT_EQ(run.form1_loads + run.settings_shown, 0) << text;
  }
  EXPECT_TRUE(host_.Untouched());
  EXPECT_TRUE(TempFolders().empty());
}

}  // namespace
