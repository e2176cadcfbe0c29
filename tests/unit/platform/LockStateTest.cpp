#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/posix/LockState.h"
#include "platform/posix/PasswordStore.h"
#include "platform/posix/UserConfig.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::PasswordCheck;
using testing_support::TestSandbox;
namespace fs = std::filesystem;

// A configuration folder with a password set and the value file holding `value`.
struct LockFolder {
  TestSandbox box;
  std::string folder = box.Path("config/scenesaver");
  std::string value_file = folder + "/ScreenSaveUsePassword";
  std::string password_file = folder + "/password";

  LockFolder() {
    EXPECT_TRUE(platform::WriteScreenSaveUsePassword(1));
    // The hash of "secret", written as SetPassword would, without the time hashing takes.
    TestSandbox::WriteBytes(password_file,
                            "$argon2id$v=19$m=65536,t=2,p=1$losJMXpCl3dPXDc7NZWR2w$"
                            "x0XOhxKKRr2hpmQtJlzJzH3R8RwP4lKrWg0fCrs68WU\n");
    ::chmod(password_file.c_str(), 0600);
  }
  void Value(const std::string& bytes) const {
    TestSandbox::WriteBytes(value_file, bytes);
    ::chmod(value_file.c_str(), 0600);
  }
};

TEST(LockStateTest, TheValueFileFailsClosed) {
  struct Case {
    const char* bytes;
    bool in_use;
    bool warns;
  };
  for (const Case& c :
       {Case{"0", false, false}, Case{" 0\n", false, false}, Case{"-0", false, false},
        Case{"1", true, false}, Case{"-1", true, false}, Case{"-2147483648", true, false},
        Case{"99999999999999999999", true, false}, Case{"abc", true, true}, Case{"", true, true},
        Case{"1 2", true, true}, Case{"0x1", true, true}, Case{"-", true, true}}) {
    LockFolder lock;
    lock.Value(c.bytes);
    const platform::LockState state = platform::ReadLockState();
    EXPECT_EQ(state.in_use, c.in_use) << '"' << c.bytes << '"';
    EXPECT_EQ(!state.warning.empty(), c.warns) << '"' << c.bytes << '"' << state.warning;
    if (c.warns) {
      EXPECT_NE(state.warning.find(lock.value_file), std::string::npos) << state.warning;
    }
  }
}

TEST(LockStateTest, OnlyAMissingFileOrAMissingFolderLeavesThePasswordOutOfUse) {
  TestSandbox box;
  const platform::LockState nothing = platform::ReadLockState();
  EXPECT_FALSE(nothing.in_use);
  EXPECT_TRUE(nothing.warning.empty());
  EXPECT_EQ(nothing.password.Verify(""), PasswordCheck::kAccepted);

  LockFolder lock;
  ::unlink(lock.value_file.c_str());
  const platform::LockState missing = platform::ReadLockState();
  EXPECT_FALSE(missing.in_use);
  EXPECT_TRUE(missing.warning.empty());
}

TEST(LockStateTest, AnUntrustedValueFileMeansInUseAndSaysWhy) {
  {
    LockFolder lock;
    lock.Value("0");
    ::chmod(lock.value_file.c_str(), 0620);  // the group could switch the password off
    const platform::LockState state = platform::ReadLockState();
    EXPECT_TRUE(state.in_use);
    EXPECT_NE(state.warning.find("group or others"), std::string::npos) << state.warning;
    // The password itself is still trusted.
    EXPECT_EQ(state.password.Verify("secret"), PasswordCheck::kAccepted);
  }
  {
    LockFolder lock;
    ::unlink(lock.value_file.c_str());
    TestSandbox::WriteBytes(lock.box.Path("home/zero"), "0");
    fs::create_symlink(lock.box.Path("home/zero"), lock.value_file);
    EXPECT_TRUE(platform::ReadLockState().in_use);
  }
  {
    LockFolder lock;
    ::unlink(lock.value_file.c_str());
    ASSERT_EQ(::mkfifo(lock.value_file.c_str(), 0600), 0);  // must not block the read
    EXPECT_TRUE(platform::ReadLockState().in_use);
  }
  if (::geteuid() == 0) {
    LockFolder lock;
    lock.Value("0");
    ASSERT_EQ(::chown(lock.value_file.c_str(), 1, static_cast<gid_t>(-1)), 0);
    const platform::LockState state = platform::ReadLockState();
    EXPECT_TRUE(state.in_use);
    EXPECT_NE(state.warning.find("someone else"), std::string::npos) << state.warning;
  }
}

TEST(LockStateTest, AnUnreadableValueFileMeansInUse) {
  // The rule on its own, since file modes do not stop root from reading.
  const platform::SmallFile unreadable{
      platform::SmallFileStatus::kUntrusted, {}, "cannot be read: Permission denied"};
  const platform::LockUse use = platform::LockUseFrom(unreadable, "/c/ScreenSaveUsePassword");
  EXPECT_TRUE(use.in_use);
  EXPECT_EQ(use.why, "/c/ScreenSaveUsePassword: cannot be read: Permission denied");
  if (::geteuid() == 0) return;
  LockFolder lock;
  lock.Value("0");
  ::chmod(lock.value_file.c_str(), 0);
  EXPECT_TRUE(platform::ReadLockState().in_use);
}

TEST(LockStateTest, ALooseOrForeignFolderPutsThePasswordInUseAndRefusesEveryEntry) {
  {
    LockFolder lock;
    lock.Value("0");
    ::chmod(lock.folder.c_str(), 0770);
    const platform::LockState state = platform::ReadLockState();
    EXPECT_TRUE(state.in_use);
    EXPECT_NE(state.warning.find(lock.folder + ": open to writing"), std::string::npos)
        << state.warning;
    EXPECT_EQ(state.password.Verify("secret"), PasswordCheck::kUnreadable);
    EXPECT_EQ(state.password.Verify(""), PasswordCheck::kUnreadable);
  }
  {
    // A folder anyone may write to, whose value file someone removed: nothing claims the lock.
    LockFolder lock;
    ::unlink(lock.value_file.c_str());
    ::chmod(lock.folder.c_str(), 0777);
    EXPECT_FALSE(platform::ReadLockState().in_use);
  }
  {
    // A folder readable by others but closed to their writing is trusted.
    LockFolder lock;
    lock.Value("0");
    ::chmod(lock.folder.c_str(), 0755);
    const platform::LockState state = platform::ReadLockState();
    EXPECT_FALSE(state.in_use);
    EXPECT_TRUE(state.warning.empty()) << state.warning;
  }
  if (::geteuid() == 0) {
    LockFolder lock;
    lock.Value("0");
    ASSERT_EQ(::chown(lock.folder.c_str(), 1, static_cast<gid_t>(-1)), 0);
    const platform::LockState state = platform::ReadLockState();
    EXPECT_TRUE(state.in_use);
    EXPECT_NE(state.warning.find("someone else"), std::string::npos) << state.warning;
  }
}

TEST(LockStateTest, ThePasswordReadAtTheStartIsTheOneThatCounts) {
  LockFolder lock;
  platform::LockState state = platform::ReadLockState();
  ASSERT_TRUE(state.in_use);
  // Deleted, replaced by an empty password, or made unreadable after the show started: the
  // check still wants the password that was stored when it started.
  ::unlink(lock.password_file.c_str());
  EXPECT_EQ(state.password.Verify(""), PasswordCheck::kRefused);
  ASSERT_TRUE(platform::SetPassword(""));
  EXPECT_EQ(state.password.Verify(""), PasswordCheck::kRefused);
  EXPECT_EQ(state.password.Verify("secret"), PasswordCheck::kAccepted);
  platform::StoredPassword moved = platform::StoredPassword(std::move(state.password));
  EXPECT_EQ(moved.Verify("secret"), PasswordCheck::kAccepted);
}

}  // namespace
