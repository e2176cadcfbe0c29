// The show's extraction and clean-up against a hostile package and a hostile private folder:
// names that try to leave the temporary folder, links planted where the package's files or the
// next tempN would go, and files swapped while the show runs. Nothing outside the folder may be
// written, replaced or deleted, and the clean-up removes only what this run created.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "package/PackageFormat.h"
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

SceneRecord Scene(std::string picture, std::string sound) {
  SceneRecord scene;
  scene.PictureFileName = std::move(picture);
  scene.PictureData = TextData("evil picture");
  scene.SoundFileName = std::move(sound);
  scene.SoundData = TextData("evil sound");
  scene.DisplayTime = 1000;
  return scene;
}

// The shared hostile names, and absolute paths to files of this sandbox.
std::vector<std::string> HostileNames(const TestSandbox& box) {
  std::vector<std::string> names = testing_support::HostileStoredNames();
  names.push_back(box.Path("home/victim"));
  names.push_back(box.Path("run/x"));
  return names;
}

class ExtractionSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A first start that does nothing makes the private folder and its lock file.
    startup::Main("", host_, box_.Path("demo.scr"), NoWindows());
    ASSERT_TRUE(fs::is_directory(private_));
    TestSandbox::WriteBytes(box_.Path("home/victim"), "keep");
    fs::create_directories(box_.Path("home/dir"));
    TestSandbox::WriteBytes(box_.Path("home/dir/fine.jpg"), "keep");
    TestSandbox::WriteBytes(box_.Path("run/x"), "victim");
    TestSandbox::WriteBytes(private_ + "x", "victim");
    // Links where the package's files would go if they were written into the private folder,
    // and links taking the first folder numbers: to a folder, to nothing yet, to a file.
    for (const char* name : {"fine.jpg", "bgm.mid", "s.wav"}) {
      fs::create_symlink(box_.Path("home/victim"), private_ + name);
    }
    fs::create_directory_symlink(box_.Path("home/dir"), private_ + "temp1");
    fs::create_symlink(box_.Path("home/not-yet"), private_ + "temp2");
    fs::create_symlink(box_.Path("home/victim"), private_ + "temp3");

    Package package;
    package.PictureWidth = 64;
    package.PictureHeight = 48;
    package.ScenesPresent = true;
    package.MusicFileName = "bgm.mid";
    package.MusicData = TextData("music");
    SceneRecord fine = Scene("fine.jpg", "s.wav");
    fine.PictureData = TextData("good");
    fine.SoundData = TextData("sound");
    package.Scenes.push_back(fine);
    const std::vector<std::string> hostile = HostileNames(box_);
    for (std::size_t i = 0; i < hostile.size(); ++i) {
      package.Scenes.push_back(Scene(hostile[i], hostile[hostile.size() - 1 - i]));
    }
    package.SceneCount = static_cast<std::int32_t>(package.Scenes.size());
    package.PackageLength = static_cast<std::int32_t>(package::SerializedLength(package));
    const auto bytes = package::SerializePackage(package);
    TestSandbox::WriteBytes(box_.Path("demo.scr"),
                            "program bytes" + std::string(bytes.begin(), bytes.end()));
  }

  static startup::Windows NoWindows() {
    startup::Windows windows;
    windows.form1_load = [](package::ShowState&, effects::State&, platform::ShowHost&) {};
    windows.form1_unload = [](const package::ShowState&, platform::ExtractFolder&) {};
    windows.settings_show_modal = [](const package::ShowState&,
                                     platform::StartupHost&) -> base::Result<void> { return {}; };
    return windows;
  }

  // A show whose window runs `during` in place of the presentation; the real clean-up follows.
  void RunShow(const std::function<void(const std::string& folder)>& during) {
    startup::Windows windows = startup::Windows::Real();
    windows.form1_load = [&](package::ShowState& module1, effects::State&, platform::ShowHost&) {
      temp_folder_ = module1.TempFolder;
      for (const auto& entry : fs::directory_iterator(module1.TempFolder)) {
        EXPECT_TRUE(entry.is_regular_file() && !entry.is_symlink()) << entry.path();
        extracted_[entry.path().filename().string()] =
            TestSandbox::ReadBytes(entry.path().string());
      }
      during(module1.TempFolder);
    };
    EXPECT_EQ(startup::Main("/S", host_, box_.Path("demo.scr"), windows), startup::kExitNormal);
  }

  const std::map<std::string, std::string> kExpected = {
      {"bgm.mid", "music"}, {"fine.jpg", "good"}, {"s.wav", "sound"}};
  TestSandbox box_;
  FakeStartupHost host_;
  const std::string private_ = box_.Path("run/scenesaver/");
  std::string temp_folder_;
  std::map<std::string, std::string> extracted_;
};

TEST_F(ExtractionSafetyTest, HostileNamesAndPlantedLinksChangeNothingOutsideTheFolder) {
  ASSERT_GE(HostileNames(box_).size(), 20u);
  const auto before = box_.Snapshot();
  RunShow([](const std::string&) {});
  // The three links named tempN count as taken and are left as they are.
  EXPECT_EQ(temp_folder_, private_ + "temp4/");
  EXPECT_EQ(extracted_, kExpected);
  EXPECT_EQ(box_.Snapshot(), before);
}

TEST_F(ExtractionSafetyTest, CleanUpDeletesOnlyTheFilesThisRunCreated) {
  const auto before = box_.Snapshot();
  RunShow([&](const std::string& folder) {
    // While the show runs: a foreign file appears, a file of ours becomes a link to a victim,
    // another is replaced by a foreign file of the same name.
    TestSandbox::WriteBytes(folder + "foreign.txt", "not ours");
    fs::remove(folder + "s.wav");
    fs::create_symlink(box_.Path("home/victim"), folder + "s.wav");
    fs::remove(folder + "fine.jpg");
    TestSandbox::WriteBytes(folder + "fine.jpg", "swapped");
  });
  EXPECT_EQ(extracted_, kExpected);
  EXPECT_EQ(TestSandbox::ReadBytes(box_.Path("home/victim")), "keep");
  // Only bgm.mid was still ours; the folder stays because it is not empty.
  std::map<std::string, std::string> left;
  for (const auto& entry : fs::directory_iterator(temp_folder_)) {
    const std::string name = entry.path().filename().string();
    left[name] = entry.is_symlink() ? "link" : TestSandbox::ReadBytes(entry.path().string());
  }
  EXPECT_EQ(left, (std::map<std::string, std::string>{
                      {"fine.jpg", "swapped"}, {"foreign.txt", "not ours"}, {"s.wav", "link"}}));
  // Everything outside the folder is as it was.
  fs::remove_all(temp_folder_);
  EXPECT_EQ(box_.Snapshot(), before);
}

}  // namespace
