// Extraction's record: the only paths the show reads media from.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "package/PackageRecord.h"
#include "platform/posix/ExtractFolder.h"
#include "startup/Extraction.h"
#include "tests/unit/support/PackageExamples.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using testing_support::TestSandbox;
using testing_support::TextData;

package::SceneRecord Scene(std::string picture, std::string sound = "") {
  package::SceneRecord scene;
  scene.PictureFileName = std::move(picture);
  scene.PictureData = TextData("picture");
  scene.SoundFileName = std::move(sound);
  scene.SoundData = TextData("sound");
  return scene;
}

TEST(ExtractionRecordTest, HoldsExactlyTheNamesWrittenWithTheirPaths) {
  TestSandbox box;
  auto folder = platform::ExtractFolder::CreateNumbered(box.Path("run"));
  ASSERT_TRUE(folder);
  package::Package show;
  show.ScenesPresent = true;
  show.MusicFileName = "m.mid";
  show.MusicData = TextData("music");
  show.Scenes = {Scene("a.jpg", "s.wav"), Scene("../../outside.bmp"), Scene("a.jpg"),
                 Scene("sub/dir.jpg", "../s.wav"), Scene("del\x7f.jpg")};
  show.SceneCount = static_cast<std::int32_t>(show.Scenes.size());
  const auto record = startup::ExtractPackageFiles(show, *folder);

  const std::string base = folder->Path();
  EXPECT_EQ(record, (std::map<std::string, std::string, std::less<>>{
                        {"a.jpg", base + "a.jpg"},
                        {"m.mid", base + "m.mid"},
                        {"s.wav", base + "s.wav"},
                    }));
  for (const auto& [name, path] : record) {
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << name;
  }
}

TEST(ExtractionRecordTest, ANameWhoseLaterWriteFailedIsDroppedWithItsFile) {
  TestSandbox box;
  auto folder = platform::ExtractFolder::CreateNumbered(box.Path("run"));
  ASSERT_TRUE(folder);
  package::Package show;
  show.ScenesPresent = true;
  // The music is written first; the picture of the same name replaces it, and a planted
  // folder-in-the-way makes no difference to a name written by this run.
  show.MusicFileName = "x.jpg";
  show.MusicData = TextData("music");
  show.Scenes = {Scene("x.jpg")};
  show.SceneCount = 1;
  const auto record = startup::ExtractPackageFiles(show, *folder);
  ASSERT_EQ(record.size(), 1u);
  EXPECT_EQ(TestSandbox::ReadBytes(record.at("x.jpg")), "picture");
}

}  // namespace
