#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/SettingsReader.h"
#include "platform/posix/InstanceLock.h"
#include "platform/posix/PasswordStore.h"
#include "platform/posix/PrivateFolder.h"
#include "platform/posix/UserConfig.h"
#include "tests/unit/support/AsUnprivilegedUser.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using testing_support::TestSandbox;
namespace fs = std::filesystem;

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFFu;
}

TEST(PrivateFolderTest, PrefersRuntimeFolderAndCreatesItPrivate) {
  TestSandbox box;
  const auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->path, box.Path("run/scenesaver/"));
  EXPECT_EQ(ModeOf(box.Path("run/scenesaver")), 0700u);
}

TEST(PrivateFolderTest, RefusesLinkOrLooseFolderAndFallsBackToCache) {
  TestSandbox box;
  fs::create_directory(box.Path("elsewhere"));
  fs::create_directory_symlink(box.Path("elsewhere"), box.Path("run/scenesaver"));
  auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->path, box.Path("home/.cache/scenesaver/"));
  EXPECT_EQ(ModeOf(box.Path("home/.cache/scenesaver")), 0700u);

  ::chmod(box.Path("home/.cache/scenesaver").c_str(), 0755);
  box.Set("XDG_RUNTIME_DIR", std::nullopt);
  EXPECT_FALSE(platform::OpenPrivateFolder());
}

TEST(PrivateFolderTest, NoneWhenNothingCanBeCreated) {
  TestSandbox box;
  TestSandbox::WriteBytes(box.Path("plain"), "");
  box.Set("XDG_RUNTIME_DIR", box.Path("plain/run"));
  box.Set("HOME", box.Path("plain/home"));
  EXPECT_FALSE(platform::OpenPrivateFolder());
}

TEST(InstanceLockTest, SecondHolderIsRefusedUntilTheFirstEnds) {
  TestSandbox box;
  const auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  {
    platform::InstanceLock first(folder->fd.Get());
    EXPECT_EQ(first.Result(), platform::InstanceLock::Outcome::kAcquired);
    platform::InstanceLock second(folder->fd.Get());
    EXPECT_EQ(second.Result(), platform::InstanceLock::Outcome::kHeldByOther);
  }
  platform::InstanceLock again(folder->fd.Get());
  EXPECT_EQ(again.Result(), platform::InstanceLock::Outcome::kAcquired);
}

TEST(InstanceLockTest, PlantedLinkIsNotFollowed) {
  TestSandbox box;
  const auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  fs::create_symlink(box.Path("home/victim"), folder->path + "instance.lock");
  platform::InstanceLock lock(folder->fd.Get());
  EXPECT_EQ(lock.Result(), platform::InstanceLock::Outcome::kUnavailable);
  EXPECT_FALSE(fs::exists(box.Path("home/victim")));
}

TEST(SettingsReaderTest, ReadsBothFlagsWithDefaultsForMissingAndShortFiles) {
  TestSandbox box;
  const std::string path = box.Path("demo.set");
  EXPECT_EQ(platform::ReadSettingsFile(path).music, -1);
  EXPECT_EQ(platform::ReadSettingsFile(path).sound, -1);

  TestSandbox::WriteBytes(path, std::string("\x00\x00\xFF\xFF", 4));
  auto settings = platform::ReadSettingsFile(path);
  EXPECT_EQ(settings.music, 0);
  EXPECT_EQ(settings.sound, -1);

  TestSandbox::WriteBytes(path, std::string("\x01\x00\x00\x80tail", 8));
  settings = platform::ReadSettingsFile(path);
  EXPECT_EQ(settings.music, 1);
  EXPECT_EQ(settings.sound, -32768);

  TestSandbox::WriteBytes(path, std::string("\xFF\xFF\xFF", 3));
  settings = platform::ReadSettingsFile(path);
  EXPECT_EQ(settings.music, -1);
  EXPECT_EQ(settings.sound, 0);
}

TEST(SettingsReaderTest, UnreadableFileTurnsBothOff) {
  TestSandbox box;
  // Only the file's own mode may stop the reader: the folders on the way stay open to all.
  ::chmod(box.Root().c_str(), 0755);
  const std::string path = box.Path("demo.set");
  TestSandbox::WriteBytes(path, std::string("\xFF\xFF\xFF\xFF", 4));
  const auto read = [&] {
    const auto settings = platform::ReadSettingsFile(path);
    return std::to_string(settings.music) + " " + std::to_string(settings.sound);
  };
  ::chmod(path.c_str(), 0644);
  EXPECT_EQ(testing_support::RunAsUnprivilegedUser(read), "-1 -1");
  ::chmod(path.c_str(), 0);
  EXPECT_EQ(testing_support::RunAsUnprivilegedUser(read), "0 0");
}

TEST(UserConfigTest, UsePasswordValueRoundTripsAndRejectsJunk) {
  TestSandbox box;
  EXPECT_EQ(platform::ReadScreenSaveUsePassword(), std::nullopt);
  ASSERT_TRUE(platform::WriteScreenSaveUsePassword(1));
  EXPECT_EQ(platform::ReadScreenSaveUsePassword(), 1u);
  EXPECT_EQ(ModeOf(box.Path("config/scenesaver")), 0700u);
  const std::string file = box.Path("config/scenesaver/ScreenSaveUsePassword");
  EXPECT_EQ(ModeOf(file), 0600u);
  ASSERT_TRUE(platform::WriteScreenSaveUsePassword(0));
  EXPECT_EQ(platform::ReadScreenSaveUsePassword(), 0u);

  for (const char* junk : {"yes", "1 2", "-1", "4294967296", ""}) {
    TestSandbox::WriteBytes(file, junk);
    EXPECT_EQ(platform::ReadScreenSaveUsePassword(), std::nullopt) << junk;
  }
  TestSandbox::WriteBytes(file, " 7\n");
  EXPECT_EQ(platform::ReadScreenSaveUsePassword(), 7u);
  // Whoever else could write the file could switch the password off; reading it is harmless.
  for (const mode_t mode : {0666, 0620, 0602}) {
    ::chmod(file.c_str(), mode);
    EXPECT_EQ(platform::ReadScreenSaveUsePassword(), std::nullopt) << std::oct << mode;
  }
  ::chmod(file.c_str(), 0644);
  EXPECT_EQ(platform::ReadScreenSaveUsePassword(), 7u);
}

TEST(PasswordStoreTest, StoresArgon2idAndVerifies) {
  TestSandbox box;
  EXPECT_FALSE(platform::HasStoredPassword());
  EXPECT_EQ(platform::VerifyPassword(""), platform::PasswordCheck::kAccepted);
  EXPECT_EQ(platform::VerifyPassword("x"), platform::PasswordCheck::kRefused);

  ASSERT_TRUE(platform::SetPassword("パスワード"));
  const std::string file = box.Path("config/scenesaver/password");
  EXPECT_EQ(ModeOf(file), 0600u);
  EXPECT_TRUE(TestSandbox::ReadBytes(file).starts_with("$argon2id$"));
  EXPECT_TRUE(platform::HasStoredPassword());
  EXPECT_EQ(platform::VerifyPassword("パスワード"), platform::PasswordCheck::kAccepted);
  EXPECT_EQ(platform::VerifyPassword("パスワー"), platform::PasswordCheck::kRefused);
  EXPECT_EQ(platform::VerifyPassword(""), platform::PasswordCheck::kRefused);
}

TEST(PasswordStoreTest, UntrustedFileNeverVerifies) {
  TestSandbox box;
  ASSERT_TRUE(platform::SetPassword("secret"));
  const std::string file = box.Path("config/scenesaver/password");
  const std::string hash = TestSandbox::ReadBytes(file);

  // Any permission at all for the group or others makes the hash untrusted.
  for (const mode_t mode : {0640, 0620, 0610, 0604, 0602, 0601}) {
    ::chmod(file.c_str(), mode);
    EXPECT_EQ(platform::VerifyPassword("secret"), platform::PasswordCheck::kUnreadable)
        << std::oct << mode;
  }
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(platform::VerifyPassword("secret"), platform::PasswordCheck::kAccepted);
  ASSERT_EQ(::chown(file.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) == 0, ::geteuid() == 0);
  if (::geteuid() == 0) {
    EXPECT_EQ(platform::VerifyPassword("secret"), platform::PasswordCheck::kUnreadable);
    ::chown(file.c_str(), 0, static_cast<gid_t>(-1));
  }
  TestSandbox::WriteBytes(file, "garbage");
  EXPECT_EQ(platform::VerifyPassword("secret"), platform::PasswordCheck::kUnreadable);
  EXPECT_EQ(platform::VerifyPassword(""), platform::PasswordCheck::kUnreadable);

  ::unlink(file.c_str());
  TestSandbox::WriteBytes(box.Path("home/hash"), hash);
  fs::create_symlink(box.Path("home/hash"), file);
  EXPECT_EQ(platform::VerifyPassword("secret"), platform::PasswordCheck::kUnreadable);
}

}  // namespace
