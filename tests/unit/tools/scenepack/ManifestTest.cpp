#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "package/PackageFormat.h"
#include "tests/unit/support/ScratchFolder.h"
#include "tools/scenepack/EffectNames.h"
#include "tools/scenepack/Manifest.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace fs = std::filesystem;

// A folder with a manifest and a few media files, removed at the end of the test.
class ShowFolder {
 public:
  ShowFolder() {
    fs::create_directories(folder_ / "media");
    Write("media/a.jpg", "picture A");
    Write("media/b.jpg", "picture B");
    Write("media/s.wav", "sound");
    Write("media/tune.mid", "tune");
  }
  void Write(const std::string& name, const std::string& text) const {
    folder_.WriteText(name, text);
  }
  scenepack::ManifestResult Read(const std::string& manifest) const {
    Write("show.toml", manifest);
    return scenepack::ReadManifest(folder_ / "show.toml");
  }

 private:
  testing_support::ScratchFolder folder_{"manifest-test"};
};

const char* const kHeader = "size = [640, 480]\n";

TEST(Manifest, ReadsEveryFieldAndTheMediaRelativeToTheManifest) {
  const ShowFolder show;
  const auto r = show.Read(R"(
size = "800x600"
background = "#102030"
has_settings = true
music = "media/tune.mid"
[[scenes]]
picture = "media/a.jpg"
sound = "media/s.wav"
display_ms = 1234
left = -4
top = 9
effect = "EffectPushFromBottom"
overlay = true
transparent = 1
[[scenes]]
picture = "media/b.jpg"
picture_name = "テスト.jpg"
)");
  ASSERT_EQ(r.error, "");
  const package::Package& p = r.package;
  EXPECT_EQ(p.PictureWidth, 800);
  EXPECT_EQ(p.PictureHeight, 600);
  EXPECT_EQ(p.BackgroundColor, 0x302010);  // red in the low byte
  EXPECT_EQ(p.HasSettings, -1);
  EXPECT_EQ(p.MusicFileName, "tune.mid");
  EXPECT_EQ(std::string(p.MusicData.bytes.begin(), p.MusicData.bytes.end()), "tune");
  EXPECT_EQ(p.SceneCount, 2);
  ASSERT_EQ(p.Scenes.size(), 2u);
  const package::SceneRecord& a = p.Scenes[0];
  EXPECT_EQ(a.PictureFileName, "a.jpg");
  EXPECT_EQ(a.SoundFileName, "s.wav");
  EXPECT_TRUE(a.SoundData.present);
  EXPECT_EQ(a.DisplayTime, 1234);
  EXPECT_EQ(a.PictureLeft, -4);
  EXPECT_EQ(a.PictureTop, 9);
  EXPECT_EQ(a.EffectNumber, 29);
  EXPECT_EQ(a.OverlayFlag, -1);
  EXPECT_EQ(a.TransparentFlag, 1);
  const package::SceneRecord& b = p.Scenes[1];
  EXPECT_EQ(b.PictureFileName, "\x83\x65\x83\x58\x83\x67.jpg");  // stored in code page 932
  EXPECT_EQ(b.SoundFileName, "");
  EXPECT_FALSE(b.SoundData.present);
  EXPECT_EQ(b.EffectNumber, 0);
  EXPECT_EQ(p.PackageLength, static_cast<std::int32_t>(package::SerializedLength(p)));
}

TEST(Manifest, ErrorsNameTheManifestTheKeyAndTheProblem) {
  const ShowFolder show;
  struct Case {
    std::string body;
    std::string says;
  };
  const Case cases[] = {
      {"[[scenes]]\npicture = \"media/missing.jpg\"\n", "scenes[0].picture: cannot read"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\neffect = \"EffectSideways\"\n",
       "unknown effect name 'EffectSideways'"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\neffect = 30\n", "30 is out of range (0 to 29)"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\ndisplay_ms = -1\n", "display_ms: -1 is out of"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\ndisplay = 5\n", "scenes[0].display: unknown key"},
      {"[[scenes]]\nsound = \"media/s.wav\"\n", "scenes[0]: needs a picture"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\npicture_name = \"../x\"\n", "not a plain file name"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\npicture_name = \"😀\"\n", "code page 932"},
      {"[[scenes]]\npicture = \"media/a.jpg\"\n[[scenes]]\npicture = \"media/b.jpg\"\n"
       "picture_name = \"a.jpg\"\n",
       "also used by scenes[0].picture"},
      {"background = \"#12345\"\n", "not a colour of the form #RRGGBB"},
      {"has_settings = \"yes\"\n", "has_settings: must be a whole number"},
      {"scenes = [\n", "line"},
  };
  for (const Case& c : cases) {
    const auto r = show.Read(kHeader + c.body);
    EXPECT_NE(r.error.find("show.toml: "), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(c.says), std::string::npos) << "got: " << r.error;
  }
  EXPECT_NE(show.Read("").error.find("size: missing"), std::string::npos);
  EXPECT_NE(show.Read("size = [0, 480]").error.find("size[0]: 0 is out of range"),
            std::string::npos);
  EXPECT_NE(show.Read("size = [640, 480, 1]").error.find("[WIDTH, HEIGHT]"), std::string::npos);
}

TEST(Manifest, FriendlierEdges) {
  const ShowFolder show;
  EXPECT_EQ(show.Read(kHeader).error,
            show.Read(kHeader).error.substr(0, show.Read(kHeader).error.find(": ")) +
                ": scenes: the show has no scenes (add a [[scenes]] table)");
  const std::string scene = "[[scenes]]\npicture = \"media/a.jpg\"\n";
  for (const char* size : {"1024X768", "1024 x 768", "1024×768"}) {
    const auto r = show.Read("size = \"" + std::string(size) + "\"\n" + scene);
    ASSERT_EQ(r.error, "") << size;
    EXPECT_EQ(r.package.PictureWidth, 1024);
    EXPECT_EQ(r.package.PictureHeight, 768);
  }
  struct Case {
    std::string body;
    std::string says;
  };
  const Case cases[] = {
      {scene + "effect = \"EffectZoomInFromCenter\"\n",
       "scenes[0].effect: unknown effect name 'EffectZoomInFromCenter'; did you mean "
       "EffectZoomInFromCentre?"},
      {scene + "effect = \"effectwipefromleft\"\n", "did you mean EffectWipeFromLeft?"},
      {scene + "effect = \"Sideways\"\n", "(known names: EffectOpenToLeftAndRight, "},
      {scene + "fit = \"stretch\"\n", "scenes[0].fit: 'stretch' is not one of none, contain"},
      {"fit = 1\n" + scene, "fit: must be a string"},
      {scene + "position = \"left\"\n", "scenes[0].position: 'left' is not \"centre\""},
      {scene + "position = \"centre\"\ntop = 3\n", "give either position or left and top"},
      {"jpeg_quality = 101\n" + scene, "jpeg_quality: 101 is out of range (1 to 100)"},
  };
  for (const Case& c : cases) {
    const auto r = show.Read(kHeader + c.body);
    EXPECT_NE(r.error.find(c.says), std::string::npos) << "got: " << r.error;
  }
}

TEST(Manifest, FitAndPositionAreReadPerSceneWithAShowWideDefault) {
  const ShowFolder show;
  const auto r = show.Read(std::string(kHeader) + R"(
fit = "cover"
jpeg_quality = 80
[[scenes]]
picture = "media/a.jpg"
[[scenes]]
picture = "media/a.jpg"
fit = "none"
position = "center"
[[scenes]]
picture = "media/b.jpg"
fit = "shrink"
left = 4
[[scenes]]
picture = "media/b.jpg"
fit = "none"
)");
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.placements.size(), 4u);
  EXPECT_EQ(r.placements[0].fit, scenepack::Fit::kCover);
  EXPECT_TRUE(r.placements[0].centred);  // a fit other than none centres
  EXPECT_EQ(r.placements[1].fit, scenepack::Fit::kNone);
  EXPECT_TRUE(r.placements[1].centred);
  EXPECT_EQ(r.placements[2].fit, scenepack::Fit::kShrink);
  EXPECT_FALSE(r.placements[2].centred);  // left given
  EXPECT_FALSE(r.placements[3].centred);  // as before: the top-left corner
  EXPECT_EQ(r.placements[0].source, "media/a.jpg");
  EXPECT_EQ(r.jpeg_quality, 80);
}

TEST(Manifest, SharedPictureWithTheSameBytesIsAccepted) {
  const ShowFolder show;
  const auto r = show.Read(std::string(kHeader) +
                           "[[scenes]]\npicture = \"media/a.jpg\"\n[[scenes]]\npicture = "
                           "\"media/a.jpg\"\ntransparent = true\n");
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.warnings.size(), 1u);  // transparent without overlay does nothing
  EXPECT_NE(r.warnings[0].find("without overlay"), std::string::npos);
}

TEST(Manifest, TextOfAPackageReadsBackToTheSamePackage) {
  const ShowFolder show;
  const auto first = show.Read(R"(
size = [320, 200]
background = 16777215
has_settings = 7
music_name = "silent.mid"
scene_count = 5
[[scenes]]
picture = "media/a.jpg"
picture_name = "shown.jpg"
sound_name = "lost.wav"
effect = 12
overlay = -1
)");
  ASSERT_EQ(first.error, "");
  scenepack::MediaPaths paths;
  paths.pictures = {"media/a.jpg"};
  paths.sounds = {""};
  // Read it from the same folder, so the relative media path still holds.
  const auto second = show.Read(scenepack::ManifestText(first.package, paths, "x.scr"));
  ASSERT_EQ(second.error, "");
  EXPECT_EQ(second.package, first.package);
  EXPECT_EQ(second.package.SceneCount, 5);
  EXPECT_FALSE(second.package.MusicData.present);
  EXPECT_EQ(second.package.MusicFileName, "silent.mid");
}

TEST(EffectNames, NamesAndNumbersMatch) {
  EXPECT_EQ(scenepack::EffectName(1), "EffectOpenToLeftAndRight");
  EXPECT_EQ(scenepack::EffectName(23), "EffectZoomInFromCentre");
  EXPECT_EQ(scenepack::EffectName(29), "EffectPushFromBottom");
  EXPECT_EQ(scenepack::EffectName(0), "");
  EXPECT_EQ(scenepack::EffectName(30), "");
  for (int n = 1; n <= 29; ++n) EXPECT_EQ(scenepack::EffectNumber(scenepack::EffectName(n)), n);
  EXPECT_FALSE(scenepack::EffectNumber("effectwipefromleft"));
}

}  // namespace
