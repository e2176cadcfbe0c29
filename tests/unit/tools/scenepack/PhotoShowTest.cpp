// A folder of photos to a show: the files taken, their order, the effects, and the build's
// picture step (fit, centring, names after conversion, warnings).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vips/vips8>

#include "package/PackageFormat.h"
#include "tests/unit/support/ScratchFolder.h"
#include "tools/scenepack/Manifest.h"
#include "tools/scenepack/PhotoFolder.h"
#include "tools/scenepack/ShowPictures.h"

namespace {

namespace fs = std::filesystem;
using scenesaver::scenepack::PhotoShowOptions;

class PhotoFolder {
 public:
  void Write(const std::string& name, const std::string& text) const {
    folder_.WriteText(name, text);
  }
  // A flat picture of the given size and colour, in the format the name's extension says.
  void Picture(const std::string& name, int width, int height, double grey = 128) const {
    vips::VImage::black(width, height, vips::VImage::option()->set("bands", 3))
        .new_from_image({grey, grey, grey})
        .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
        .write_to_file((folder_ / name).c_str());
  }
  const fs::path& dir() const { return folder_.Root(); }

 private:
  scenesaver::testing_support::ScratchFolder folder_{"photo-show-test"};
};

std::vector<std::string> Names(const std::vector<fs::path>& files) {
  std::vector<std::string> names;
  for (const fs::path& f : files) names.push_back(f.filename().string());
  return names;
}

TEST(PhotoFolder, TakesPictureFilesByNameAndLeavesOutHiddenAndOtherFiles) {
  const PhotoFolder folder;
  for (const char* name : {"b.JPG", "a.png", "c.webp", ".hidden.jpg", "notes.txt", "Z.tif"}) {
    folder.Write(name, "x");
  }
  fs::create_directory(folder.dir() / "sub.jpg");
  std::string error;
  EXPECT_EQ(Names(scenesaver::scenepack::PictureFiles(folder.dir(), error)),
            (std::vector<std::string>{"Z.tif", "a.png", "b.JPG", "c.webp"}));
  EXPECT_EQ(error, "");
  EXPECT_TRUE(scenesaver::scenepack::PictureFiles(folder.dir() / "none", error).empty());
  EXPECT_NE(error.find("cannot read the folder"), std::string::npos);
  const PhotoFolder empty;
  empty.Write("readme.txt", "x");
  EXPECT_TRUE(scenesaver::scenepack::PictureFiles(empty.dir(), error).empty());
  EXPECT_NE(error.find("no pictures in"), std::string::npos);
}

TEST(PhotoFolder, EffectsInTurnAtRandomOrFromAList) {
  std::string error;
  const std::vector<int> all = scenesaver::scenepack::ChooseEffects("all", 31, 0, error);
  ASSERT_EQ(all.size(), 31u);
  EXPECT_EQ(all[0], 1);
  EXPECT_EQ(all[28], 29);
  EXPECT_EQ(all[29], 1);
  EXPECT_EQ(scenesaver::scenepack::ChooseEffects("EffectWipeFromLeft, 0,3", 4, 0, error),
            (std::vector<int>{19, 0, 3, 19}));
  const std::vector<int> random = scenesaver::scenepack::ChooseEffects("random", 200, 42, error);
  EXPECT_EQ(random,
            scenesaver::scenepack::ChooseEffects("random", 200, 42, error));  // the seed repeats
  EXPECT_NE(random, scenesaver::scenepack::ChooseEffects("random", 200, 43, error));
  EXPECT_EQ(*std::min_element(random.begin(), random.end()), 1);
  EXPECT_EQ(*std::max_element(random.begin(), random.end()), 29);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(scenesaver::scenepack::ChooseEffects("EffectZoomInFromCenter", 1, 0, error).empty());
  EXPECT_EQ(error,
            "--effects: unknown effect 'EffectZoomInFromCenter'; did you mean "
            "EffectZoomInFromCentre?");
  EXPECT_TRUE(scenesaver::scenepack::ChooseEffects("30", 1, 0, error).empty());
  EXPECT_TRUE(scenesaver::scenepack::ChooseEffects(",", 1, 0, error).empty());
}

TEST(PhotoFolder, ShuffleIsReproducibleFromItsSeed) {
  const PhotoFolder folder;
  for (int i = 0; i < 12; ++i) folder.Write("p" + std::to_string(10 + i) + ".jpg", "x");
  PhotoShowOptions options;
  options.folder = folder.dir();
  const scenesaver::scenepack::PhotoShow sorted = scenesaver::scenepack::MakePhotoShow(options);
  EXPECT_FALSE(sorted.seed);  // nothing random, no seed to report
  options.shuffle = true;
  const scenesaver::scenepack::PhotoShow first = scenesaver::scenepack::MakePhotoShow(options);
  ASSERT_TRUE(first.seed);
  options.seed = first.seed;
  const scenesaver::scenepack::PhotoShow again = scenesaver::scenepack::MakePhotoShow(options);
  EXPECT_EQ(again.pictures, first.pictures);
  EXPECT_EQ(again.manifest, first.manifest);
  EXPECT_NE(first.pictures, sorted.pictures);  // 1 in 12! that a shuffle keeps the order
  EXPECT_NE(first.manifest.find("--seed " + std::to_string(*first.seed)), std::string::npos);
}

TEST(PhotoFolder, TheShowIsContainedCentredAndNamedAfterConversion) {
  const PhotoFolder folder;
  folder.Picture("a-wide.jpg", 300, 100);
  folder.Picture("b-tall.png", 50, 200);
  folder.Picture("c.tif", 20, 20);
  folder.Picture("d-exact.jpg", 160, 120);
  PhotoShowOptions options;
  options.folder = folder.dir();
  options.size = {160, 120};
  options.seconds = 2;
  options.effects = "3";
  const scenesaver::scenepack::PhotoShow show = scenesaver::scenepack::MakePhotoShow(options);
  ASSERT_EQ(show.error, "");
  scenesaver::scenepack::ManifestResult manifest =
      scenesaver::scenepack::ReadManifestText(show.manifest, "photos", "/");
  ASSERT_EQ(manifest.error, "") << show.manifest;
  const scenesaver::scenepack::PreparedPictures prepared =
      scenesaver::scenepack::PrepareShowPictures(manifest, "photos");
  ASSERT_EQ(prepared.error, "");
  const scenesaver::package::Package& p = manifest.package;
  ASSERT_EQ(p.Scenes.size(), 4u);
  EXPECT_EQ(p.PictureWidth, 160);
  const struct {
    const char* name;
    int left, top;
  } want[] = {
      {"a-wide.jpg", 0, 33}, {"b-tall.png", 65, 0}, {"c.png", 20, 0}, {"d-exact.jpg", 0, 0}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(p.Scenes[i].PictureFileName, want[i].name);
    EXPECT_EQ(p.Scenes[i].PictureLeft, want[i].left) << want[i].name;
    EXPECT_EQ(p.Scenes[i].PictureTop, want[i].top) << want[i].name;
    EXPECT_EQ(p.Scenes[i].DisplayTime, 2000);
    EXPECT_EQ(p.Scenes[i].EffectNumber, 3);
  }
  EXPECT_EQ(prepared.notes.size(), 3u);  // the exact-size JPEG is stored as it is
  std::ifstream exact(folder.dir() / "d-exact.jpg", std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(exact), {}};
  EXPECT_EQ(p.Scenes[3].PictureData.bytes, bytes);
  EXPECT_EQ(p.PackageLength, static_cast<std::int32_t>(scenesaver::package::SerializedLength(p)));
}

TEST(PhotoFolder, ABadFileIsNamedAndAPictureOutsideTheAreaIsAWarning) {
  const PhotoFolder folder;
  folder.Picture("a.jpg", 40, 30);
  folder.Write("notes.jpg", "not a picture");
  const std::string dir = folder.dir().string();
  scenesaver::scenepack::ManifestResult manifest = scenesaver::scenepack::ReadManifestText(
      "size = \"100 x 100\"\n[[scenes]]\npicture = \"" + dir + "/a.jpg\"\nleft = 100\n" +
          "[[scenes]]\npicture = \"" + dir + "/a.jpg\"\nleft = 60\nfit = \"shrink\"\n",
      "show.toml", "/");
  ASSERT_EQ(manifest.error, "");
  ASSERT_EQ(scenesaver::scenepack::PrepareShowPictures(manifest, "show.toml").error, "");
  ASSERT_EQ(manifest.warnings.size(), 1u);
  EXPECT_EQ(manifest.warnings[0],
            "show.toml: scenes[0]: the picture (40x30 at left 100, top 0) lies wholly outside "
            "the 100x100 presentation area");
  EXPECT_EQ(manifest.package.Scenes[1].PictureLeft, 60);  // left given: not centred

  manifest = scenesaver::scenepack::ReadManifestText(
      "size = [100, 100]\n[[scenes]]\npicture = \"" + dir + "/notes.jpg\"\n", "show.toml", "/");
  ASSERT_EQ(manifest.error, "");
  EXPECT_EQ(scenesaver::scenepack::PrepareShowPictures(manifest, "show.toml").error,
            "show.toml: scenes[0].picture: '" + dir +
                "/notes.jpg': not a picture, or in a format this build of libvips cannot read");
}

}  // namespace
