#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/posix/ExtractFolder.h"
#include "tests/unit/support/HostileNames.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::ExtractFolder;
using testing_support::TestSandbox;
namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ExtractFolderTest, TakesFirstNumberNotUsedByAnyEntry) {
  TestSandbox box;
  const std::string parent = box.Path("run");
  fs::create_directory(parent + "/temp1");
  TestSandbox::WriteBytes(parent + "/temp2", "a file counts too");
  fs::create_symlink(box.Path("elsewhere"), parent + "/temp3");  // dangling link counts too
  {
    auto folder = ExtractFolder::CreateNumbered(parent);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->Path(), parent + "/temp4/");
    struct stat st {};
    ASSERT_EQ(::lstat((parent + "/temp4").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(box.Path("elsewhere")));
  }
  // The folder goes with its owner; earlier entries stay.
  EXPECT_FALSE(fs::exists(parent + "/temp4"));
  EXPECT_TRUE(fs::is_directory(parent + "/temp1"));
  EXPECT_TRUE(fs::is_regular_file(parent + "/temp2"));
}

TEST(ExtractFolderTest, LaterWriteReplacesAndCleanUpRemovesEverythingItMade) {
  TestSandbox box;
  std::string path;
  {
    auto folder = ExtractFolder::CreateNumbered(box.Path("run"));
    ASSERT_TRUE(folder);
    path = folder->Path();
    EXPECT_TRUE(folder->WriteFile("a.jpg", Bytes("first")));
    EXPECT_TRUE(folder->WriteFile("a.jpg", Bytes("second")));
    EXPECT_TRUE(folder->WriteFile("empty.wav", {}));
    EXPECT_EQ(TestSandbox::ReadBytes(path + "a.jpg"), "second");
    EXPECT_TRUE(fs::exists(path + "empty.wav"));
    EXPECT_EQ(fs::file_size(path + "empty.wav"), 0u);
    struct stat st {};
    ASSERT_EQ(::stat((path + "a.jpg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(folder->DeleteFile("a.jpg"));
    EXPECT_FALSE(folder->DeleteFile("a.jpg"));
  }
  EXPECT_FALSE(fs::exists(path));
}

TEST(ExtractFolderTest, HostileNamesWriteAndDeleteNothing) {
  TestSandbox box;
  fs::create_directories(box.Path("home/etc"));
  TestSandbox::WriteBytes(box.Path("run/x"), "victim");
  TestSandbox::WriteBytes(box.Path("run/a"), "victim");
  auto folder = ExtractFolder::CreateNumbered(box.Path("run"));
  ASSERT_TRUE(folder);
  const auto before = box.Snapshot();
  std::vector<std::string> hostile = testing_support::HostileStoredNames();
  hostile.push_back(box.Path("run/x"));
  for (const auto& name : hostile) {
    EXPECT_FALSE(ExtractFolder::IsSafeName(name)) << name;
    EXPECT_FALSE(folder->WriteFile(name, Bytes("evil"))) << name;
    EXPECT_FALSE(folder->DeleteFile(name)) << name;
  }
  EXPECT_EQ(box.Snapshot(), before);
}

TEST(ExtractFolderTest, DoubleByteNamesKeepTheirBackslashTrailByte) {
  // CP932 "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: ordinary characters, not separators.
  EXPECT_TRUE(ExtractFolder::IsSafeName("\x95\x5C.jpg"));
  EXPECT_TRUE(ExtractFolder::IsSafeName("\x83\x5C\x83\x74\x83\x67.wav"));
  EXPECT_TRUE(ExtractFolder::IsSafeName("scene 1.jpg"));
  EXPECT_TRUE(ExtractFolder::IsSafeName("...jpg"));
  EXPECT_TRUE(ExtractFolder::IsSafeName(std::string(255, 'n')));
  EXPECT_FALSE(ExtractFolder::IsSafeName("a\\\x95"));  // the backslash comes first
}

TEST(ExtractFolderTest, PlantedLinksAndForeignFilesAreNeitherFollowedNorDeleted) {
  TestSandbox box;
  TestSandbox::WriteBytes(box.Path("home/target"), "keep me");
  std::string path;
  {
    auto folder = ExtractFolder::CreateNumbered(box.Path("run"));
    ASSERT_TRUE(folder);
    path = folder->Path();
    fs::create_symlink(box.Path("home/target"), path + "a.jpg");
    TestSandbox::WriteBytes(path + "foreign.wav", "not ours");
    EXPECT_FALSE(folder->WriteFile("a.jpg", Bytes("evil")));
    EXPECT_FALSE(folder->WriteFile("foreign.wav", Bytes("evil")));
    EXPECT_FALSE(folder->DeleteFile("a.jpg"));
    EXPECT_FALSE(folder->DeleteFile("foreign.wav"));
    // A file of ours swapped for a link after writing is not deleted through it.
    EXPECT_TRUE(folder->WriteFile("b.jpg", Bytes("ours")));
    ASSERT_EQ(::unlink((path + "b.jpg").c_str()), 0);
    fs::create_symlink(box.Path("home/target"), path + "b.jpg");
  }
  EXPECT_EQ(TestSandbox::ReadBytes(box.Path("home/target")), "keep me");
  EXPECT_TRUE(fs::is_symlink(path + "a.jpg"));
  EXPECT_TRUE(fs::is_symlink(path + "b.jpg"));
  EXPECT_EQ(TestSandbox::ReadBytes(path + "foreign.wav"), "not ours");
}

TEST(ExtractFolderTest, MissingParentGivesNoFolder) {
  TestSandbox box;
  EXPECT_FALSE(ExtractFolder::CreateNumbered(box.Path("no/such/folder")));
}

TEST(ExtractFolderTest, CleanUpAllNowReachesEveryLiveFolderThroughMoves) {
  TestSandbox box;
  auto first = ExtractFolder::CreateNumbered(box.Path("run"));
  auto second = ExtractFolder::CreateNumbered(box.Path("run"));
  ASSERT_TRUE(first && second);
  ASSERT_TRUE(first->WriteFile("a.jpg", Bytes("picture")));
  ASSERT_TRUE(second->WriteFile("b.wav", Bytes("sound")));
  // Moved twice, the way the start-up hands the folder on; the moved-from objects are gone.
  std::vector<ExtractFolder> held;
  held.push_back(std::move(*first));
  first.reset();
  ExtractFolder moved = std::move(*second);
  second.reset();
  const std::string first_path = held[0].Path();
  const std::string second_path = moved.Path();
  ASSERT_TRUE(fs::exists(first_path + "a.jpg"));

  ExtractFolder::CleanUpAllNow();
  EXPECT_FALSE(fs::exists(first_path));
  EXPECT_FALSE(fs::exists(second_path));
  // Cleaned once: the destructors find nothing more to do, and a folder made later by the
  // same number is not theirs to remove.
  ASSERT_EQ(::mkdir(first_path.c_str(), 0700), 0);
  held.clear();
  EXPECT_TRUE(fs::exists(first_path));
}

}  // namespace
