#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/HeadlessHost.h"
#include "presentation/Form1.h"
#include "presentation/Form1Input.h"
#include "presentation/ShowSound.h"
#include "tests/unit/support/HeadlessShow.h"
#include "tests/unit/support/ScratchFolder.h"
#include "tests/unit/support/Surfaces.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::HeadlessHost;
using platform::HeadlessOptions;
using raster::Color;
using raster::Surface;

constexpr Color kBack = 0x000000;
constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;
constexpr Color kBlue = 0xFF0000;
constexpr Color kWhite = 0xFFFFFF;
constexpr const char* kTemp = "/tmp/show/";

constexpr auto& Solid = testing_support::Filled;

package::SceneRecord Scene(std::string picture, std::int32_t display_time, std::int32_t effect = 0,
                           std::string sound = "") {
  package::SceneRecord scene;
  scene.PictureFileName = std::move(picture);
  scene.SoundFileName = std::move(sound);
  scene.DisplayTime = display_time;
  scene.EffectNumber = effect;
  return scene;
}

// A show on the headless host with pictures served from memory, 8 x 8 pixels on black.
class Show : public testing_support::HeadlessShow {
 public:
  Show() {
    module1.TempFolder = kTemp;
    module1.PackageRecord.PictureWidth = 8;
    module1.PackageRecord.PictureHeight = 8;
    module1.PackageRecord.BackgroundColor = static_cast<std::int32_t>(kBack);
    pictures["a.jpg"] = Solid(8, 8, kRed);
    pictures["b.jpg"] = Solid(8, 8, kGreen);
    pictures["c.jpg"] = Solid(8, 8, kBlue);
    options.keep_frames = true;
    options.picture_loader = [this](const std::string& path) -> base::Result<raster::Surface> {
      loads.push_back(path.substr(module1.TempFolder.size()));
      const auto found = pictures.find(loads.back());
      if (found == pictures.end() || loads.size() == failing_load) {
        return base::Error{"cannot decode " + path};
      }
      return found->second;
    };
  }

  // (tick, colour of the top-left pixel) of every frame after the set-up's blank repaint.
  std::vector<std::pair<std::uint32_t, Color>> Shown() const {
    std::vector<std::pair<std::uint32_t, Color>> shown;
    for (std::size_t i = 1; i < host->Frames().size(); ++i) {
      const auto& frame = host->Frames()[i];
      shown.emplace_back(frame.tick_ms, frame.picture.Pixel(0, 0));
    }
    return shown;
  }

  std::vector<std::string> Calls() const {
    std::vector<std::string> calls;
    for (const auto& call : host->SoundCalls()) {
      std::string text = std::to_string(call.tick_ms) + " " + call.call + " " + call.text;
      if (call.call == "PlaySound") text += " " + std::to_string(call.flags);
      calls.push_back(text);
    }
    return calls;
  }

  std::map<std::string, Surface> pictures;
  std::vector<std::string> loads;
  std::size_t failing_load = 0;  // this load (counted from 1) fails; 0: none does
};

using Shown = std::vector<std::pair<std::uint32_t, Color>>;

TEST(Form1SceneLoop, ShowsScenesInOrderEachAfterItsDisplayTimeAndWrapsBySceneCount) {
  Show show;
  show.Add(Scene("a.jpg", 1000));
  show.Add(Scene("b.jpg", 1000));
  show.Add(Scene("c.jpg", 1000));
  show.Add(Scene("missing.jpg", 1000));  // beyond SceneCount: never shown
  show.module1.PackageRecord.SceneCount = 3;
  show.options.until_ms = 3500;
  show.Run();
  EXPECT_EQ(show.Shown(),
            (Shown{{0, kRed}, {1001, kGreen}, {2002, kBlue}, {3003, kRed}, {3501, kGreen}}));
  // Every arrival reads its picture again from the temporary folder.
  EXPECT_EQ(show.loads, (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "a.jpg", "b.jpg"}));
  EXPECT_TRUE(show.host->Messages().empty());
}

TEST(Form1SceneLoop, APictureExtractionDidNotWriteIsNotFoundAndNeverOpened) {
  Show show;
  show.Add(Scene("a.jpg", 1000));
  show.Add(Scene("../../outside.bmp", 1000));
  show.record_every_name = false;
  show.module1.ExtractedFiles["a.jpg"] = show.module1.TempFolder + "a.jpg";
  show.pictures["../../outside.bmp"] = Solid(8, 8, kBlue);  // there, but not extracted
  show.options.until_ms = 3000;
  show.Run();
  EXPECT_EQ(show.loads, (std::vector<std::string>{"a.jpg"}));
  ASSERT_EQ(show.host->Messages().size(), 1u);
  EXPECT_NE(show.host->Messages()[0].find("outside.bmp': it was not extracted"), std::string::npos)
      << show.host->Messages()[0];
}

TEST(Form1SceneLoop, ANegativeDisplayTimeHoldsForOneYieldWhateverItsSize) {
  Show show;
  show.Add(Scene("a.jpg", -1));
  show.Add(Scene("b.jpg", std::numeric_limits<std::int32_t>::min()));
  show.Add(Scene("c.jpg", 1000));
  show.options.until_ms = 1500;
  show.Run();
  const auto shown = show.Shown();
  ASSERT_GE(shown.size(), 4u);
  EXPECT_EQ(shown[0], std::make_pair(0u, kRed));
  EXPECT_EQ(shown[1].second, kGreen);
  EXPECT_LE(shown[1].first, 1u);
  EXPECT_EQ(shown[2].second, kBlue);
  EXPECT_LE(shown[2].first, 2u);  // not 24.8 days
  EXPECT_EQ(shown[3].second, kRed);
  EXPECT_GE(shown[3].first, 1000u);
}

TEST(Form1SceneLoop, SceneCountOnePassesIntoItselfWithItsSoundEveryTime) {
  Show show;
  show.module1.PackageRecord.MusicFileName = "";
  show.Add(Scene("a.jpg", 500, 0, "a.wav"));
  show.options.until_ms = 1200;
  show.Run();
  EXPECT_EQ(show.Shown(), (Shown{{0, kRed}, {501, kRed}, {1002, kRed}, {1201, kRed}}));
  EXPECT_EQ(show.Calls(), (std::vector<std::string>{
                              "501 PlaySound /tmp/show/a.wav 131075",
                              "1002 PlaySound /tmp/show/a.wav 131075",
                              "1201 PlaySound /tmp/show/a.wav 131075",
                              "1201 PlaySound  64",
                          }));
}

class Form1EffectOutsideTheTable : public testing::TestWithParam<std::int32_t> {};

TEST_P(Form1EffectOutsideTheTable, DrawsNothingUntilALaterPassage) {
  Show show;
  show.Add(Scene("a.jpg", 1000, GetParam()));
  show.Add(Scene("b.jpg", 1000));
  show.Add(Scene("c.jpg", 1000));
  show.options.until_ms = 2500;
  show.Run();
  EXPECT_EQ(show.Shown(), (Shown{{0, kRed}, {1001, kRed}, {2002, kBlue}, {2501, kRed}}));
}

INSTANTIATE_TEST_SUITE_P(Numbers, Form1EffectOutsideTheTable, testing::Values(30, 255, -1));

class Form1EffectInTheTable : public testing::TestWithParam<std::int32_t> {};

TEST_P(Form1EffectInTheTable, RunsATransitionOfSeveralFramesBeforeTheNextScene) {
  Show show;
  show.Add(Scene("a.jpg", 1000, GetParam()));
  show.Add(Scene("b.jpg", 5000));
  show.options.until_ms = 4000;
  show.Run();
  const Shown shown = show.Shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), (std::pair<std::uint32_t, Color>{0, kRed}));
  const auto arrived = std::find_if(shown.begin(), shown.end(),
                                    [](const auto& frame) { return frame.second == kGreen; });
  ASSERT_NE(arrived, shown.end());
  // Between the first scene and the arrival, the transition drew frames of its own.
  EXPECT_GT(arrived - shown.begin(), 1);
}

INSTANTIATE_TEST_SUITE_P(FirstAndLast, Form1EffectInTheTable,
                         testing::Values(effects::kFirstEffect, effects::kLastEffect));

TEST(Form1SceneLoop, ZeroDisplayTimeWaitsOneTickAndNegativeOneYield) {
  Show show;
  show.Add(Scene("a.jpg", 0));
  show.Add(Scene("b.jpg", -5));
  show.Add(Scene("c.jpg", 1000));
  show.options.until_ms = 1001;
  show.Run();
  EXPECT_EQ(show.Shown(), (Shown{{0, kRed}, {1, kGreen}, {1, kBlue}, {1002, kRed}}));
}

TEST(Form1SceneLoop, InputDuringTheHoldStillStartsTheSoundAndRunsTheTransition) {
  Show show;
  show.module1.PackageRecord.MusicFileName = "m.mid";
  show.Add(Scene("a.jpg", 1000, 5));
  show.Add(Scene("b.jpg", 1000, 0, "b.wav"));
  show.options.quit_at_ms = {400};
  HeadlessHost& host = show.Run();
  // The transition ends at once with the arriving frame; the loop then ends.
  ASSERT_FALSE(show.Shown().empty());
  EXPECT_EQ(show.Shown().back(), (std::pair<std::uint32_t, Color>{400, kGreen}));
  const auto calls = show.Calls();
  ASSERT_GE(calls.size(), 5u);
  EXPECT_EQ(calls[0], "0 mci open \"/tmp/show/m.mid\" alias bgm");
  EXPECT_EQ(calls[1], "0 mci play bgm");
  EXPECT_EQ(calls[2], "400 PlaySound /tmp/show/b.wav 131075");
  EXPECT_EQ(calls[calls.size() - 2], "400 mci close bgm");
  EXPECT_EQ(calls.back(), "400 PlaySound  64");
  EXPECT_GE(host.CursorCount(), 0);
  EXPECT_FALSE(host.ScreenSaverRunning());
  EXPECT_EQ(host.PasswordPrompts(), 0);
}

TEST(Form1SceneLoop, TheArrivingScenesSoundStartsBeforeItsTransition) {
  Show show;
  show.Add(Scene("a.jpg", 100, 5));
  show.Add(Scene("b.jpg", 5000, 0, "b.wav"));
  show.options.until_ms = 3000;
  show.Run();
  const auto calls = show.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0], "101 PlaySound /tmp/show/b.wav 131075");
  // The transition's frames come after the sound started, and take time.
  const Shown shown = show.Shown();
  const auto arrived = std::find_if(shown.begin(), shown.end(),
                                    [](const auto& frame) { return frame.second == kGreen; });
  ASSERT_NE(arrived, shown.end());
  EXPECT_GT(arrived->first, 101u);
  EXPECT_GT(
      std::count_if(shown.begin(), arrived, [](const auto& frame) { return frame.first >= 101; }),
      1);
}

TEST(Form1Compose, TransparentFlagWithoutOverlayFlagPaintsOpaqueOnTheBackground) {
  Show show;
  Surface sprite = Solid(8, 8, kGreen);
  sprite.Row(0)[0] = kBack;  // key-coloured pixel
  show.pictures["b.jpg"] = sprite;
  show.Add(Scene("a.jpg", 100));
  package::SceneRecord b = Scene("b.jpg", 100);
  b.TransparentFlag = -1;
  show.Add(b);
  show.options.until_ms = 150;
  show.Run();
  const Surface& arrived = show.host->Frames()[2].picture;
  EXPECT_EQ(arrived.Pixel(0, 0), kBack);  // not the red of the scene before
  EXPECT_EQ(arrived.Pixel(1, 0), kGreen);
}

TEST(Form1Compose, OverlayScenesBuildUpOverWhatTheScreenShowed) {
  Show show;
  show.pictures["a.jpg"] = Solid(4, 4, kRed);
  show.pictures["b.jpg"] = Solid(4, 4, kGreen);
  Surface sprite = Solid(4, 4, kBlue);
  for (int y = 0; y < 4; ++y) sprite.Row(y)[0] = sprite.Row(y)[1] = kBack;  // left half keyed
  show.pictures["c.jpg"] = sprite;
  show.Add(Scene("a.jpg", 100));
  package::SceneRecord b = Scene("b.jpg", 100);
  b.PictureLeft = 4;
  b.OverlayFlag = -1;
  show.Add(b);
  package::SceneRecord c = Scene("c.jpg", 100);
  c.PictureLeft = 4;
  c.PictureTop = 2;
  c.OverlayFlag = -1;
  c.TransparentFlag = -1;
  show.Add(c);
  show.options.until_ms = 250;
  show.Run();
  const Surface& last = show.host->Frames()[3].picture;
  EXPECT_EQ(last.Pixel(0, 0), kRed);    // scene a stays
  EXPECT_EQ(last.Pixel(4, 0), kGreen);  // scene b over it
  EXPECT_EQ(last.Pixel(4, 3), kGreen);  // seen through c's keyed pixels
  EXPECT_EQ(last.Pixel(6, 3), kBlue);
  EXPECT_EQ(last.Pixel(0, 6), kBack);
}

TEST(Form1SetUp, CentresPicture1ByHalvingEachTerm) {
  Show show;
  show.Add(Scene("a.jpg", 100));
  show.module1.PackageRecord.PictureWidth = 551;
  show.module1.PackageRecord.PictureHeight = 550;
  show.options.screen = {1024, 1023};
  show.options.until_ms = 0;
  show.Run();
  EXPECT_EQ(show.host->Picture1Position(), (platform::Point{237, 236}));
}

TEST(Form1Password, RefusalRestartsAtSceneZeroAndAcceptanceFinishes) {
  Show show;
  show.Add(Scene("a.jpg", 1000));
  show.Add(Scene("b.jpg", 1000));
  show.Add(Scene("c.jpg", 1000));
  show.options.use_password = 1;
  show.options.verdicts = {platform::PasswordVerdict::kRefused};
  show.options.quit_at_ms = {1500, 1700};
  HeadlessHost& host = show.Run();
  EXPECT_EQ(host.PasswordPrompts(), 2);
  // The refused run paints scene 0 with its own picture at once.
  EXPECT_EQ(show.Shown(),
            (Shown{{0, kRed}, {1001, kGreen}, {1500, kBlue}, {1500, kRed}, {1700, kGreen}}));
  EXPECT_GE(host.CursorCount(), 0);
  EXPECT_FALSE(host.ScreenSaverRunning());
}

TEST(Form1Password, ValueZeroOrUnreadableAsksNothing) {
  for (const std::optional<std::uint32_t> value :
       {std::optional<std::uint32_t>(0), std::optional<std::uint32_t>()}) {
    Show show;
    show.Add(Scene("a.jpg", 1000));
    show.options.use_password = value;
    show.options.quit_at_ms = {10};
    EXPECT_EQ(show.Run().PasswordPrompts(), 0);
  }
}

using TempDir = testing_support::ScratchFolder;

TEST(Form1Failure, NoScenesFailsBeforeTheWindowAndLeavesNoFolder) {
  TempDir parent;
  auto folder = platform::ExtractFolder::CreateNumbered(parent.Path());
  ASSERT_TRUE(folder);
  Show show;
  show.module1.TempFolder = folder->Path();
  show.module1.PackageRecord.ScenesPresent = false;
  show.module1.PackageRecord.SceneCount = 0;
  HeadlessHost& host = show.Run();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0],
            "不明のエラーが発生しました。\r\nインデックスが有効範囲にありません。\r\nscenesaver");
  EXPECT_FALSE(host.WindowShown());
  EXPECT_FALSE(host.ScreenSaverRunning());
  presentation::Form_Unload(show.module1, *folder);
  EXPECT_FALSE(std::filesystem::exists(folder->Path()));
}

TEST(Form1Failure, APictureThatCannotBeDecodedIsNamedByItsStoredNameAndMarksTheShowFailed) {
  Show show;
  show.module1.TempFolder = "/nonexistent/temp1/";
  show.Add(Scene("a.jpg", 100));
  show.Add(Scene("\x83\x65\x83\x58\x83\x67.jpg", 100));  // テスト.jpg in code page 932
  HeadlessHost& host = show.Run();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_NE(host.Messages()[0].find("picture 'テスト.jpg': cannot decode /nonexistent/temp1/"),
            std::string::npos)
      << host.Messages()[0];
  EXPECT_TRUE(show.module1.FailedAtRunTime);

  Show fine;
  fine.Add(Scene("a.jpg", 100));
  fine.options.until_ms = 300;
  fine.Run();
  EXPECT_FALSE(fine.module1.FailedAtRunTime);
}

TEST(Form1Failure, UnreadablePictureReportsAndRestoresSoTheCleanUpRemovesEverything) {
  TempDir parent;
  auto folder = platform::ExtractFolder::CreateNumbered(parent.Path());
  ASSERT_TRUE(folder);
  const std::vector<std::uint8_t> bytes = {1, 2, 3};
  for (const char* name : {"a.jpg", "b.jpg", "b.wav", "m.mid"}) {
    ASSERT_TRUE(folder->WriteFile(name, bytes));
  }
  Show show;
  show.module1.TempFolder = folder->Path();
  show.module1.PackageRecord.MusicFileName = "m.mid";
  show.module1.MusicEnabled = base::kFalse;
  show.Add(Scene("a.jpg", 100));
  show.Add(Scene("b.jpg", 100, 0, "b.wav"));
  show.pictures.erase("b.jpg");
  HeadlessHost& host = show.Run();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].rfind("不明のエラーが発生しました。\r\n", 0), 0u);
  EXPECT_NE(host.Messages()[0].find("b.jpg"), std::string::npos);
  EXPECT_GE(host.CursorCount(), 0);
  EXPECT_FALSE(host.ScreenSaverRunning());
  // The music setting is off: nothing was opened, but the device is closed all the same.
  EXPECT_EQ(show.Calls(), (std::vector<std::string>{"0 mci close bgm", "0 PlaySound  64"}));
  presentation::Form_Unload(show.module1, *folder);
  EXPECT_FALSE(std::filesystem::exists(folder->Path()));
}

bool AllBlack(const Surface& picture) {
  for (const Color c : picture.Pixels()) {
    if (c != 0) return false;
  }
  return picture.Width() > 0;
}

// Each way the show can fail. With the password value set, the failure message comes first, then
// the prompt over a black screen with the cursor shown, again after every refusal: only an
// accepted password ends the show. Without it the message ends the show.
TEST(Form1Lock, EveryFailureAsksForThePasswordOverBlackUntilAccepted) {
  using platform::PasswordVerdict;
  struct Case {
    const char* name;
    std::function<void(Show&)> arrange;
    int prompts_before_failure = 0;
  };
  const std::vector<Case> cases = {
      {"first picture, before the window", [](Show& s) { s.pictures.erase("a.jpg"); }},
      {"a later picture", [](Show& s) { s.pictures.erase("c.jpg"); }},
      {"scene index out of range", [](Show& s) { s.module1.PackageRecord.SceneCount = 4; }},
      {"scene 0 again after a refused password",
       [](Show& s) {
         s.options.quit_at_ms = {500};
         s.failing_load = 3;  // a.jpg, b.jpg, then a.jpg for the new run
       },
       1},
  };
  for (const Case& c : cases) {
    for (const bool use_password : {true, false}) {
      if (!use_password && c.prompts_before_failure > 0) continue;  // no refusal to fail after
      SCOPED_TRACE(std::string(c.name) + (use_password ? ", password" : ", no password"));
      Show show;
      show.module1.PackageRecord.BackgroundColor = static_cast<std::int32_t>(kWhite);
      show.module1.PackageRecord.MusicFileName = "m.mid";
      show.Add(Scene("a.jpg", 1000));
      show.Add(Scene("b.jpg", 1000));
      show.Add(Scene("c.jpg", 1000));
      c.arrange(show);
      if (use_password) show.options.use_password = 1;
      show.options.verdicts.assign(c.prompts_before_failure + 2, PasswordVerdict::kRefused);
      HeadlessHost& host = show.Run();

      ASSERT_EQ(host.Messages().size(), 1u);
      EXPECT_EQ(host.Messages()[0].rfind("不明のエラーが発生しました。\r\n", 0), 0u);
      EXPECT_FALSE(host.ScreenSaverRunning());
      ASSERT_FALSE(host.SoundCalls().empty());
      EXPECT_EQ(host.SoundCalls().back().flags, platform::kSndPurge);  // finished after all
      if (!use_password) {
        EXPECT_EQ(host.PasswordPrompts(), c.prompts_before_failure);
        continue;
      }
      // Two refusals after the failure, then the acceptance.
      ASSERT_EQ(host.PasswordPrompts(), c.prompts_before_failure + 3);
      for (std::size_t i = static_cast<std::size_t>(c.prompts_before_failure);
           i < host.Prompts().size(); ++i) {
        const platform::PromptRecord& prompt = host.Prompts()[i];
        EXPECT_EQ(prompt.messages_before, 1u) << "prompt " << i;
        EXPECT_TRUE(prompt.window_shown) << "prompt " << i;
        EXPECT_GE(prompt.cursor_count, 0) << "prompt " << i;
        ASSERT_GE(prompt.frames_before, 1u);
        EXPECT_TRUE(AllBlack(host.Frames()[prompt.frames_before - 1].picture)) << "prompt " << i;
      }
    }
  }
}

TEST(Form1Unload, LeavesTheFolderWhenItHoldsFilesThePackageDoesNotName) {
  TempDir parent;
  auto folder = platform::ExtractFolder::CreateNumbered(parent.Path());
  ASSERT_TRUE(folder);
  const std::vector<std::uint8_t> bytes = {1};
  ASSERT_TRUE(folder->WriteFile("a.jpg", bytes));
  ASSERT_TRUE(folder->WriteFile("other.jpg", bytes));
  package::ShowState module1;
  module1.PackageRecord.ScenesPresent = true;
  module1.PackageRecord.Scenes.push_back(Scene("a.jpg", 1));
  module1.PackageRecord.SceneCount = 5;  // beyond Scenes: skipped
  presentation::Form_Unload(module1, *folder);
  EXPECT_FALSE(std::filesystem::exists(folder->Path() + "a.jpg"));
  EXPECT_TRUE(std::filesystem::exists(folder->Path() + "other.jpg"));
}

// A host that only answers what the input handlers and the music commands ask.
class ScriptedHost final : public platform::ShowHost {
 public:
  std::uint32_t GetTickCount() override { return 0; }
  void DoEvents() override {}
  void WaitForEventsUntil(std::uint32_t) override {}
  void Refresh(const Surface&) override {}
  void SetInputHandlers(platform::InputHandlers*) override {}
  platform::Size PrimaryScreenSize() override { return {}; }
  void PlacePicture1(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void ShowWindow() override {}
  void MakeTopmost() override {}
  int ShowCursor(bool) override { return 0; }
  platform::Point GetCursorPos() override { return cursor; }
  void SetScreenSaverRunning(bool) override {}
  base::Result<raster::Surface> LoadPicture(const std::string&) override {
    return raster::Surface();
  }
  void MciSendString(std::string_view command, std::string& reply) override {
    commands.emplace_back(command);
    reply = command == "status bgm mode" ? mode : "";
  }
  void PlaySound(std::string_view, std::uint32_t) override {}
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override { return {}; }
  platform::PasswordVerdict VerifyScreenSavePwd() override {
    return platform::PasswordVerdict::kAccepted;
  }
  void MessageBox(std::string_view, std::string_view, platform::MessageIcon) override {}

  platform::Point cursor{};
  std::string mode;
  std::vector<std::string> commands;
};

TEST(Form1Input, MouseMoveEndsOnlyAwayFromTheStartPosition) {
  ScriptedHost host;
  std::int16_t quit = 0;
  const platform::Point start{100, 50};
  presentation::Input input(quit, start, host);
  host.cursor = start;
  input.MouseMove();
  EXPECT_EQ(quit, 0);
  // One pixel in any direction, along either axis alone, ends the show.
  for (const platform::Point moved : {platform::Point{100, 49}, platform::Point{100, 51},
                                      platform::Point{99, 50}, platform::Point{101, 50}}) {
    quit = 0;
    host.cursor = moved;
    input.MouseMove();
    EXPECT_EQ(quit, -1) << moved.x << "," << moved.y;
    host.cursor = start;
    quit = 0;
    input.MouseMove();
    EXPECT_EQ(quit, 0) << "back at the start after " << moved.x << "," << moved.y;
  }
  quit = 0;
  input.KeyDown();
  EXPECT_EQ(quit, -1);
  quit = 0;
  input.MouseDown();
  EXPECT_EQ(quit, -1);
}

TEST(Form1Music, KeepAliveRestartsOnlyAStoppedDevice) {
  package::ShowState module1;
  module1.PackageRecord.MusicFileName = "m.mid";
  module1.MusicEnabled = base::kTrue;
  std::string reply;
  ScriptedHost host;
  host.mode = "playing";
  presentation::KeepMusicAlive(module1, host, reply);
  host.mode = "stopped";
  presentation::KeepMusicAlive(module1, host, reply);
  host.mode = "stoppe";
  presentation::KeepMusicAlive(module1, host, reply);
  EXPECT_EQ(host.commands,
            (std::vector<std::string>{"status bgm mode", "status bgm mode", "seek bgm to start",
                                      "play bgm", "status bgm mode"}));
  host.commands.clear();
  module1.MusicEnabled = base::kFalse;
  presentation::KeepMusicAlive(module1, host, reply);
  presentation::StartMusic(module1, host, reply);
  EXPECT_TRUE(host.commands.empty());
}

}  // namespace
