#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/SettingsReader.h"
#include "settings/SettingsFile.h"
#include "settings/frmSetting.h"
#include "tests/unit/support/FakeStartupHost.h"
#include "tests/unit/support/ScratchFolder.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using TempDir = testing_support::ScratchFolder;
using testing_support::FakeStartupHost;
static_assert(FakeStartupHost::kSettingsOptions == settings::kOptionCount);

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

class FrmSettingTest : public ::testing::Test {
 protected:
  package::ShowState state_;
  FakeStartupHost host_;
  TempDir dir_;
  fs::path file_ = dir_.Root() / "demo.set";

  void SetUp() override { state_.SettingsFilePath = file_.string(); }

  settings::Form LoadedForm(std::int16_t music, std::int16_t sound) {
    state_.MusicEnabled = music;
    state_.SoundEnabled = sound;
    settings::Form form(state_, host_);
    form.Form_Load();
    return form;
  }
};

std::vector<bool> Options(const settings::Form& form) {
  std::vector<bool> values;
  for (int i = 0; i < settings::kOptionCount; ++i) values.push_back(form.Option1Value(i));
  return values;
}

TEST_F(FrmSettingTest, FormLoadSelectsFromTheSettings) {
  EXPECT_EQ(Options(LoadedForm(-1, -1)), (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(Options(LoadedForm(0, -1)), (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(Options(LoadedForm(-1, 0)), (std::vector<bool>{true, false, false, true}));
  // Any nonzero value reads as on.
  EXPECT_EQ(Options(LoadedForm(1, 0x100)), (std::vector<bool>{true, false, true, false}));
}

TEST_F(FrmSettingTest, EachFrameKeepsExactlyOneSelection) {
  auto form = LoadedForm(-1, -1);
  form.Option1_Click(1);
  EXPECT_EQ(Options(form), (std::vector<bool>{false, true, true, false}));
  form.Option1_Click(3);
  EXPECT_EQ(Options(form), (std::vector<bool>{false, true, false, true}));
  form.Option1_Click(3);  // clicking the selected button changes nothing
  form.Option1_Click(0);
  EXPECT_EQ(Options(form), (std::vector<bool>{true, false, false, true}));
  form.Option1_Click(4);
  form.Option1_Click(-1);
  EXPECT_EQ(Options(form), (std::vector<bool>{true, false, false, true}));
  EXPECT_FALSE(form.Option1Value(4));
}

TEST_F(FrmSettingTest, OkWritesFourBytesInPlaceOfALongerFile) {
  WriteBytes(file_, Bytes(100, 0xAB));
  auto form = LoadedForm(-1, -1);
  form.Option1_Click(1);
  EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
  EXPECT_EQ(ReadBytes(file_), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"demo.set"});
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(FrmSettingTest, OkWithoutAFileCreatesIt) {
  auto form = LoadedForm(-1, -1);
  form.Option1_Click(3);
  EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
  EXPECT_EQ(ReadBytes(file_), (Bytes{0xFF, 0xFF, 0x00, 0x00}));
  struct stat info {};
  ASSERT_EQ(::stat(file_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_mode & 0044, 0044u) << "readable like any other file the user creates";
}

TEST_F(FrmSettingTest, OkWithNothingChangedRewritesTheSameBytes) {
  for (const Bytes& old : {Bytes{0x00, 0x00, 0xFF, 0xFF}, Bytes{0xFF, 0xFF, 0x00, 0x00},
                           Bytes{0x00, 0x00, 0x00, 0x00}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}}) {
    WriteBytes(file_, old);
    auto form = LoadedForm(static_cast<std::int16_t>(old[0] | old[1] << 8),
                           static_cast<std::int16_t>(old[2] | old[3] << 8));
    EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
    EXPECT_EQ(ReadBytes(file_), old);
  }
}

TEST_F(FrmSettingTest, CancelWritesNothing) {
  auto form = LoadedForm(-1, -1);
  form.Option1_Click(1);
  EXPECT_TRUE(form.Command1_Click(settings::kCommandCancel));
  EXPECT_TRUE(dir_.Entries().empty());

  WriteBytes(file_, Bytes{1, 2, 3});
  EXPECT_TRUE(form.Command1_Click(settings::kCommandCancel));
  EXPECT_EQ(ReadBytes(file_), (Bytes{1, 2, 3}));
  EXPECT_TRUE(host_.messages.empty());
}

// Refuses new entries in a folder, also to root: the immutable attribute when running as root
// (root ignores permission bits), the permission bits otherwise. Undone on destruction.
class WriteProtectedFolder {
 public:
  explicit WriteProtectedFolder(const fs::path& path) : path_(path) {
    if (::geteuid() != 0) {
      std::error_code error;
      fs::permissions(path_,
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove, error);
      active_ = !error;
      return;
    }
    active_ = SetImmutable(true);
  }
  WriteProtectedFolder(const WriteProtectedFolder&) = delete;
  WriteProtectedFolder& operator=(const WriteProtectedFolder&) = delete;
  ~WriteProtectedFolder() {
    if (!active_) return;
    if (::geteuid() == 0) {
      SetImmutable(false);
    } else {
      std::error_code ignored;
      fs::permissions(path_, fs::perms::owner_write, fs::perm_options::add, ignored);
    }
  }
  bool Active() const { return active_; }

 private:
  bool SetImmutable(bool on) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
  }

  fs::path path_;
  bool active_ = false;
};

TEST_F(FrmSettingTest, AWriteProtectedFolderTellsTheUserAndKeepsTheOldFile) {
  const Bytes old{0x00, 0x00, 0xFF, 0xFF, 0x55};
  WriteBytes(file_, old);
  auto form = LoadedForm(-1, -1);
  {
    WriteProtectedFolder protect(dir_.Root());
    if (!protect.Active()) GTEST_SKIP() << "this file system cannot write-protect the folder";
    EXPECT_FALSE(form.Command1_Click(settings::kCommandOk));
  }
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(file_.string()), std::string::npos)
      << host_.messages[0].text;
  EXPECT_EQ(ReadBytes(file_), old);
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"demo.set"});

  // Once the folder is writable again, OK works.
  EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
  EXPECT_EQ(ReadBytes(file_), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

// Two more ways a write fails: the folder does not exist, or the settings path is a directory
// (the failure then comes at the rename, after the new file was made).
TEST_F(FrmSettingTest, AMissingFolderIsReportedWithTheReason) {
  state_.SettingsFilePath = (dir_.Root() / "missing" / "demo.set").string();
  auto form = LoadedForm(-1, -1);
  EXPECT_FALSE(form.Command1_Click(settings::kCommandOk));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(state_.SettingsFilePath), std::string::npos);
  EXPECT_NE(host_.messages[0].text.find("No such file or directory"), std::string::npos)
      << host_.messages[0].text;
  EXPECT_TRUE(dir_.Entries().empty());
}

TEST_F(FrmSettingTest, AFailedRenameLeavesNoTemporaryFileBehind) {
  fs::create_directory(file_);
  WriteBytes(file_ / "inside", Bytes{7});
  auto form = LoadedForm(-1, -1);
  EXPECT_FALSE(form.Command1_Click(settings::kCommandOk));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(file_.string()), std::string::npos);
  EXPECT_EQ(dir_.Entries(), std::vector<std::string>{"demo.set"});
  EXPECT_EQ(ReadBytes(file_ / "inside"), Bytes{7});
}

TEST_F(FrmSettingTest, ShowModalLoadsTheFormBeforeShowingIt) {
  state_.MusicEnabled = 0;
  state_.SoundEnabled = -1;
  host_.on_settings = [](platform::SettingsForm& form) {
    form.Option1_Click(0);
    EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
  };
  EXPECT_TRUE(settings::ShowModal(state_, host_).ok());
  EXPECT_EQ(host_.settings_dialogs, 1);
  EXPECT_EQ(host_.settings_seen, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(ReadBytes(file_), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(FrmSettingTest, ShowModalPassesOnWhyTheDialogCannotBeShownAndWritesNothing) {
  host_.settings_failure = "no dialog";
  const base::Result<void> shown = settings::ShowModal(state_, host_);
  ASSERT_FALSE(shown.ok());
  EXPECT_EQ(shown.error(), "no dialog");
  EXPECT_FALSE(fs::exists(file_));
  EXPECT_TRUE(host_.messages.empty());
}

// A saver in its own folder, with the configuration folder of a sandboxed home beside it.
class SettingsPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(saver_folder_);
    state_.SettingsFilePath = (saver_folder_ / "demo.set").string();
    state_.UserSettingsFilePath = platform::UserSettingsPath("demo");
  }

  settings::SettingsPlaces Places() const {
    return {state_.SettingsFilePath, state_.UserSettingsFilePath};
  }

  // Opens the dialog on what the show would read, chooses music off, and presses OK.
  bool PressOkWithMusicOff() {
    const platform::StoredSettings stored =
        platform::ReadSettingsFile(settings::FileToRead(Places()));
    state_.MusicEnabled = stored.music;
    state_.SoundEnabled = stored.sound;
    settings::Form form(state_, host_);
    form.Form_Load();
    form.Option1_Click(1);
    return form.Command1_Click(settings::kCommandOk);
  }

  testing_support::TestSandbox box_;
  fs::path saver_folder_ = fs::path(box_.Path("savers"));
  fs::path config_folder_ = fs::path(box_.Path("config/scenesaver"));
  package::ShowState state_;
  FakeStartupHost host_;
};

TEST_F(SettingsPlaceTest, ThePerUserFileIsNamedAfterTheSaverInTheConfigurationFolder) {
  EXPECT_EQ(state_.UserSettingsFilePath, (config_folder_ / "demo.set").string());
  box_.Set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(platform::UserSettingsPath("demo"), box_.Path("home/.config/scenesaver/demo.set"));
  box_.Set("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(platform::UserSettingsPath("demo"), box_.Path("home/.config/scenesaver/demo.set"));
}

TEST_F(SettingsPlaceTest, TheShowReadsThePerUserFileWhenItExists) {
  EXPECT_EQ(settings::FileToRead(Places()), state_.SettingsFilePath);
  WriteBytes(state_.SettingsFilePath, Bytes{0, 0, 0, 0});
  EXPECT_EQ(settings::FileToRead(Places()), state_.SettingsFilePath);
  fs::create_directories(config_folder_);
  WriteBytes(state_.UserSettingsFilePath, Bytes{0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(settings::FileToRead(Places()), state_.UserSettingsFilePath);
  // Without a per-user place (no home known) the file beside the program is the only one.
  EXPECT_EQ(settings::FileToRead({state_.SettingsFilePath, ""}), state_.SettingsFilePath);
}

TEST_F(SettingsPlaceTest, OkWritesBesideTheProgramWhileItsFolderIsWritable) {
  EXPECT_EQ(settings::FileToWrite(Places()), state_.SettingsFilePath);
  EXPECT_TRUE(PressOkWithMusicOff());
  EXPECT_EQ(ReadBytes(state_.SettingsFilePath), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
  EXPECT_FALSE(fs::exists(config_folder_)) << "nothing is made in the configuration folder";
  EXPECT_TRUE(host_.messages.empty());
}

// A saver in a folder the user cannot write (a shared installation): OK keeps the settings in
// the user's own file, which the show then reads and the next OK writes again, even once the
// folder has become writable; the file beside the program is never touched.
TEST_F(SettingsPlaceTest, AWriteProtectedFolderSendsTheSettingsToThePerUserFile) {
  const Bytes shared{0xFF, 0xFF, 0xFF, 0xFF};
  WriteBytes(state_.SettingsFilePath, shared);
  {
    WriteProtectedFolder protect(saver_folder_);
    if (!protect.Active()) GTEST_SKIP() << "this file system cannot write-protect the folder";
    EXPECT_EQ(settings::FileToWrite(Places()), state_.UserSettingsFilePath);
    EXPECT_TRUE(PressOkWithMusicOff());
  }
  EXPECT_TRUE(host_.messages.empty()) << host_.messages[0].text;
  EXPECT_EQ(ReadBytes(state_.UserSettingsFilePath), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(fs::status(config_folder_).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(state_.SettingsFilePath), shared);
  const platform::StoredSettings read = platform::ReadSettingsFile(settings::FileToRead(Places()));
  EXPECT_EQ(read.music, 0);
  EXPECT_EQ(read.sound, -1);

  // Writable again: the per-user file exists and keeps winning, so OK goes on writing it.
  EXPECT_EQ(settings::FileToWrite(Places()), state_.UserSettingsFilePath);
  state_.MusicEnabled = 0;
  settings::Form form(state_, host_);
  form.Form_Load();
  form.Option1_Click(3);
  EXPECT_TRUE(form.Command1_Click(settings::kCommandOk));
  EXPECT_EQ(ReadBytes(state_.UserSettingsFilePath), (Bytes{0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(ReadBytes(state_.SettingsFilePath), shared);
}

// When the per-user folder cannot be had either, OK tells the user and the dialog stays open.
TEST_F(SettingsPlaceTest, AConfigurationFolderOpenToOthersIsReportedNotUsed) {
  fs::create_directories(config_folder_);
  fs::permissions(config_folder_, fs::perms::all);
  WriteProtectedFolder protect(saver_folder_);
  if (!protect.Active()) GTEST_SKIP() << "this file system cannot write-protect the folder";
  EXPECT_FALSE(PressOkWithMusicOff());
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(config_folder_.string()), std::string::npos)
      << host_.messages[0].text;
  EXPECT_TRUE(fs::is_empty(config_folder_));
}

TEST(SettingsFileWriteTest, EncodesTwoLittleEndianFlags) {
  using A = std::array<std::uint8_t, settings::kSize>;
  EXPECT_EQ(settings::Encode(true, false), (A{0xFF, 0xFF, 0x00, 0x00}));
  EXPECT_EQ(settings::Encode(false, true), (A{0x00, 0x00, 0xFF, 0xFF}));
}

TEST(SettingsFileWriteTest, RefusesAPathEndingInASlash) {
  const auto failure = settings::Write("/tmp/", true, true);
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find("/tmp/"), std::string::npos);
}

}  // namespace
