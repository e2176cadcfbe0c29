// The show's music and scene-sound calls as the headless host answers them: real music files
// in a scratch folder, their playing time on the virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/headless/HeadlessHost.h"
#include "presentation/Form1.h"
#include "tests/unit/support/AudioTestFiles.h"
#include "tests/unit/support/HeadlessShow.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

package::SceneRecord Scene(std::int32_t display_time, std::string sound = "") {
  package::SceneRecord scene;
  scene.PictureFileName = "p.jpg";
  scene.SoundFileName = std::move(sound);
  scene.DisplayTime = display_time;
  return scene;
}

class ShowAudio : public testing_support::HeadlessShow {
 public:
  ShowAudio() {
    module1.TempFolder = dir.Path("");
    if (module1.TempFolder.back() != '/') module1.TempFolder += '/';
    module1.PackageRecord.PictureWidth = 4;
    module1.PackageRecord.PictureHeight = 4;
    module1.PackageRecord.MusicFileName = "m.mid";
    options.picture_loader = [](const std::string&) -> base::Result<raster::Surface> {
      return raster::Surface(4, 4, 0x808080);
    };
  }
  ~ShowAudio() { host.reset(); }  // the host is done with the scratch folder before it goes

  // Runs the show and returns its audio calls as "tick call argument", the folder shortened
  // to "T/".
  std::vector<std::string> Run() {
    HeadlessShow::Run();
    std::vector<std::string> calls;
    for (const platform::AudioCall& call : host->AudioCalls()) {
      std::string argument = call.argument;
      for (std::size_t at; (at = argument.find(module1.TempFolder)) != std::string::npos;) {
        argument.replace(at, module1.TempFolder.size(), "T/");
      }
      calls.push_back(std::to_string(call.tick_ms) + " " + call.call + " " + argument);
    }
    return calls;
  }

  audio_test::ScratchDir dir;
};

using Calls = std::vector<std::string>;

// The calls of the same show without music: the scene sounds and the purge, no MCI command.
Calls WithoutMusic(const Calls& calls) {
  Calls left;
  std::copy_if(calls.begin(), calls.end(), std::back_inserter(left),
               [](const std::string& call) { return call.find(" mci ") == std::string::npos; });
  return left;
}

// Runs the show `prepare` sets up twice: with music longer than the run, expecting
// `with_music`, and with no music at all, expecting the same calls less the MCI commands.
void ExpectWithAndWithoutMusic(const std::function<void(ShowAudio&)>& prepare,
                               const Calls& with_music) {
  for (const bool music : {true, false}) {
    SCOPED_TRACE(music ? "with music" : "without music");
    ShowAudio show;
    if (music) {
      show.dir.Write("m.mid", audio_test::Tune(100));
    } else {
      show.module1.PackageRecord.MusicFileName.clear();
    }
    prepare(show);
    EXPECT_EQ(show.Run(), music ? with_music : WithoutMusic(with_music));
  }
}

TEST(ShowAudioTest, MusicShorterThanAHoldRestartsAtTheNextTailOnly) {
  ShowAudio show;
  show.dir.Write("m.mid", audio_test::Tune(4));  // 2000 ms
  show.Add(Scene(1500));
  show.Add(Scene(1500));
  show.options.until_ms = 6100;
  EXPECT_EQ(show.Run(), (Calls{
                            "0 mci open \"T/m.mid\" alias bgm",
                            "0 mci play bgm",
                            "1501 mci status bgm mode",  // 1501 ms in: still playing
                            "3002 mci status bgm mode",  // ended at 2000
                            "3002 mci seek bgm to start",
                            "3002 mci play bgm",
                            "4503 mci status bgm mode",  // ends at 5002
                            "6004 mci status bgm mode",
                            "6004 mci seek bgm to start",
                            "6004 mci play bgm",
                            "6101 mci status bgm mode",  // the tail of the step cut short
                            "6101 mci close bgm",
                            "6101 PlaySound 0x40",
                        }));
}

TEST(ShowAudioTest, SceneSoundsStartAsTheirScenesArriveSceneZeroOnlyWhenItComesAgain) {
  const Calls with_music = {
      "0 mci open \"T/m.mid\" alias bgm",
      "0 mci play bgm",
      "1001 PlaySound 0x20003 T/b.wav",
      "1001 mci status bgm mode",
      "2002 mci status bgm mode",
      "3003 PlaySound 0x20003 T/a.wav",
      "3003 mci status bgm mode",
      "3501 PlaySound 0x20003 T/b.wav",  // the hold cut short by input
      "3501 mci status bgm mode",
      "3501 mci close bgm",
      "3501 PlaySound 0x40",
  };
  ExpectWithAndWithoutMusic(
      [](ShowAudio& show) {
        show.Add(Scene(1000, "a.wav"));
        show.Add(Scene(1000, "b.wav"));
        show.Add(Scene(1000));
        show.options.until_ms = 3500;
      },
      with_music);
}

TEST(ShowAudioTest, MusicSettingOffSendsOnlyTheClose) {
  ShowAudio show;
  show.dir.Write("m.mid", audio_test::Tune(1));
  show.module1.MusicEnabled = base::kFalse;
  show.Add(Scene(1000));
  show.Add(Scene(1000, "b.wav"));
  show.options.until_ms = 2500;
  EXPECT_EQ(show.Run(), (Calls{
                            "1001 PlaySound 0x20003 T/b.wav",
                            "2501 PlaySound 0x20003 T/b.wav",
                            "2501 mci close bgm",
                            "2501 PlaySound 0x40",
                        }));
}

TEST(ShowAudioTest, SoundSettingOffStartsNoSceneSoundButPurges) {
  const Calls with_music = {
      "0 mci open \"T/m.mid\" alias bgm",
      "0 mci play bgm",
      "1001 mci status bgm mode",
      "2002 mci status bgm mode",
      "2501 mci status bgm mode",
      "2501 mci close bgm",
      "2501 PlaySound 0x40",
  };
  ExpectWithAndWithoutMusic(
      [](ShowAudio& show) {
        show.module1.SoundEnabled = base::kFalse;
        show.Add(Scene(1000, "a.wav"));
        show.Add(Scene(1000, "b.wav"));
        show.options.until_ms = 2500;
      },
      with_music);
}

TEST(ShowAudioTest, UnopenableMusicLeavesTheKeepAliveIdle) {
  for (const char* name : {"missing.mid", "broken.mid"}) {
    ShowAudio show;
    show.dir.Write("broken.mid", {'M', 'T', 'h', 'd'});
    show.module1.PackageRecord.MusicFileName = name;
    show.Add(Scene(1000));
    show.options.until_ms = 3500;
    const std::string open = std::string("0 mci open \"T/") + name + "\" alias bgm";
    EXPECT_EQ(show.Run(), (Calls{
                              open,
                              "0 mci play bgm",
                              "1001 mci status bgm mode",
                              "2002 mci status bgm mode",
                              "3003 mci status bgm mode",
                              "3501 mci status bgm mode",
                              "3501 mci close bgm",
                              "3501 PlaySound 0x40",
                          }))
        << name;
  }
}

TEST(ShowAudioTest, MediaExtractionDidNotWriteAreNeverOpened) {
  ShowAudio show;
  show.Add(Scene(1000, "s.wav"));
  show.options.until_ms = 1500;
  show.record_every_name = false;
  show.module1.ExtractedFiles["p.jpg"] = show.module1.TempFolder + "p.jpg";
  // Neither the music nor the sound was written: no "open" and no sound, the rest as before.
  const Calls calls = show.Run();
  for (const std::string& call : calls) {
    EXPECT_EQ(call.find("open"), std::string::npos) << call;
    EXPECT_EQ(call.find("s.wav"), std::string::npos) << call;
  }
  EXPECT_TRUE(std::any_of(calls.begin(), calls.end(), [](const std::string& call) {  // NOLINT
    return call.ends_with("mci play bgm");
  })) << ::testing::PrintToString(calls);
}

TEST(ShowAudioTest, AMusicNameWithAQuoteCannotAddToTheOpenCommand) {
  ShowAudio show;
  show.module1.PackageRecord.MusicFileName = "m.mid\" alias x wait";
  show.Add(Scene(1000));
  show.options.until_ms = 100;
  for (const std::string& call : show.Run()) {
    EXPECT_EQ(call.find("open"), std::string::npos) << call;
  }
}

TEST(ShowAudioTest, NoMusicFileNameSendsNoMusicCommandAtAll) {
  ShowAudio show;
  show.module1.PackageRecord.MusicFileName.clear();
  show.Add(Scene(1000));
  show.options.until_ms = 1500;
  EXPECT_EQ(show.Run(), (Calls{"1501 PlaySound 0x40"}));
}

TEST(ShowAudioTest, AudioCsvLandsInTheOutputFolder) {
  ShowAudio show;
  show.dir.Write("m.mid", audio_test::Tune(100));
  show.Add(Scene(1000));
  show.options.until_ms = 1500;
  show.options.out_dir = show.dir.Path("out");
  std::filesystem::create_directory(show.options.out_dir);
  show.options.write_png = false;
  const Calls calls = show.Run();
  ASSERT_TRUE(show.host->FlushOutput());
  std::ifstream in(show.dir.Path("out/audio.csv"));
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), calls.size() + 1);
  EXPECT_EQ(lines[0], "tick_ms,call,argument");
  EXPECT_EQ(lines[1], "0,mci,\"open \"\"" + show.module1.TempFolder + "m.mid\"\" alias bgm\"");
  EXPECT_EQ(lines.back(), "1501,PlaySound,0x40");
}

}  // namespace
