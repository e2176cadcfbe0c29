// The Windows file services under the core: the temporary folder, the settings and package
// files, and the single-instance mutex.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/FileServices.h"
#include "platform/SettingsReader.h"
#include "platform/win32/ExtractFolder.h"
#include "platform/win32/InstanceLock.h"
#include "platform/win32/PrivateFolder.h"
#include "tests/unit/support/HostileNames.h"
#include "tests/unit/support/ScratchFolder.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace fs = std::filesystem;

using Sandbox = testing_support::ScratchFolder;

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Win32ExtractFolder, NumbersFoldersWritesAndCleansUpOnlyItsOwnFiles) {
  const Sandbox sandbox;
  fs::create_directories(sandbox / "temp1");  // taken: the next number is used
  auto folder = platform::ExtractFolder::CreateNumbered(sandbox.Path());
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Path(), sandbox.Path() + "\\temp2\\");
  ASSERT_TRUE(folder->WriteFile("a.jpg", Bytes("first")));
  ASSERT_TRUE(folder->WriteFile("a.jpg", Bytes("second")));  // its own file is replaced
  EXPECT_EQ(Read(sandbox / "temp2" / "a.jpg"), "second");
  // Binary bytes arrive unchanged (no text-mode translation).
  ASSERT_TRUE(folder->WriteFile("b.bin", std::vector<std::uint8_t>{'\r', '\n', 0x1A, 0}));
  EXPECT_EQ(Read(sandbox / "temp2" / "b.bin"), std::string("\r\n\x1A\0", 4));

  // A file someone else put there is neither replaced nor deleted.
  std::ofstream(sandbox / "temp2" / "foreign.txt") << "keep";
  EXPECT_FALSE(folder->WriteFile("foreign.txt", Bytes("overwrite")));
  EXPECT_FALSE(folder->DeleteFile("foreign.txt"));
  EXPECT_EQ(Read(sandbox / "temp2" / "foreign.txt"), "keep");

  EXPECT_TRUE(folder->DeleteFile("a.jpg"));
  EXPECT_FALSE(fs::exists(sandbox / "temp2" / "a.jpg"));
  EXPECT_FALSE(folder->RemoveFolder());  // b.bin is still ours
  folder.reset();
  // The foreign file keeps the folder alive; our own files are gone.
  EXPECT_FALSE(fs::exists(sandbox / "temp2" / "b.bin"));
  EXPECT_EQ(Read(sandbox / "temp2" / "foreign.txt"), "keep");
}

TEST(Win32ExtractFolder, RefusesNamesThatLeaveTheFolderOrMeanSomethingElse) {
  const Sandbox sandbox;
  auto folder = platform::ExtractFolder::CreateNumbered(sandbox.Path());
  ASSERT_TRUE(folder);
  // Besides the names refused everywhere: drive and stream colons, wildcards, and the trailing
  // dots and spaces Windows would drop.
  std::vector<std::string> hostile = testing_support::HostileStoredNames();
  for (const char* name :
       {"C:x", "x:stream", "a?", "a*", "trailing.", "trailing ", "a\"b", "a<b", "a>b", "a|b"}) {
    hostile.emplace_back(name);
  }
  hostile.emplace_back("nul\0x", 5);
  for (const std::string& name : hostile) {
    EXPECT_FALSE(folder->WriteFile(name, Bytes("x"))) << name;
  }
  EXPECT_FALSE(fs::exists(sandbox / "x"));
  // A double-byte character whose second byte is 0x5C stays one name: 表.jpg.
  EXPECT_TRUE(platform::ExtractFolder::IsSafeName("\x95\x5C.jpg"));
  folder.reset();
  EXPECT_FALSE(fs::exists(sandbox / "temp1"));
}

TEST(Win32FileServices, SettingsFileIsReplacedWholeAndReadBack) {
  const Sandbox sandbox;
  const std::string path = (sandbox / "show.set").string();
  EXPECT_EQ(platform::ReadSettingsFile(path).music, -1);  // missing: on
  ASSERT_TRUE(platform::ReplaceFileAtomically(path, std::vector<std::uint8_t>{0xFF, 0xFF, 0, 0}));
  ASSERT_TRUE(platform::ReplaceFileAtomically(path, std::vector<std::uint8_t>{0, 0, 0xFF, 0xFF}));
  const platform::StoredSettings settings = platform::ReadSettingsFile(path);
  EXPECT_EQ(settings.music, 0);
  EXPECT_EQ(settings.sound, -1);
  // Only the settings file is left: no temporary sibling.
  EXPECT_EQ(std::distance(fs::directory_iterator(sandbox / ""), fs::directory_iterator()), 1);
  const auto failure =
      platform::ReplaceFileAtomically((sandbox / "missing" / "x.set").string(), Bytes("x"));
  ASSERT_FALSE(failure);
  EXPECT_NE(failure.error().find("x.set"), std::string::npos);
}

TEST(Win32FileServices, ReadsAtAnyOffsetAndRefusesFolders) {
  const Sandbox sandbox;
  std::ofstream(sandbox / "p.scr", std::ios::binary) << "0123456789";
  const auto file = platform::RandomAccessFile::Open((sandbox / "p.scr").string());
  ASSERT_TRUE(file) << file.error();
  EXPECT_EQ(file.value().Size(), 10u);
  std::uint8_t buffer[3] = {};
  ASSERT_TRUE(file.value().ReadAt(7, buffer, 3));
  EXPECT_EQ(std::string(buffer, buffer + 3), "789");
  EXPECT_FALSE(file.value().ReadAt(8, buffer, 3));  // past the end
  EXPECT_FALSE(platform::RandomAccessFile::Open(sandbox.Path()));
  const auto missing = platform::RandomAccessFile::Open((sandbox / "none.scr").string());
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().find("none.scr"), std::string::npos);
}

TEST(Win32InstanceLock, ASecondInstanceSeesTheFirst) {
  const auto folder = platform::OpenPrivateFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->path.back(), '\\');
  const platform::InstanceLock first(*folder);
  EXPECT_EQ(first.Result(), platform::InstanceLock::Outcome::kAcquired);
  {
    const platform::InstanceLock second(*folder);
    EXPECT_EQ(second.Result(), platform::InstanceLock::Outcome::kHeldByOther);
  }
}

}  // namespace
