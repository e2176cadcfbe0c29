#include <gtest/gtest.h>

#include <sstream>

#include "platform/ShowHost.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/unit/support/AudioTestFiles.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

class HeadlessAudioTest : public ::testing::Test {
 protected:
  std::string Send(const std::string& command) {
    std::string reply;
    audio.MciSendString(command, reply);
    return reply;
  }
  std::string Open(const std::string& path) { return Send("open \"" + path + "\" alias bgm"); }

  audio_test::ScratchDir dir;
  std::uint32_t now = 1000;
  platform::HeadlessAudio audio{[this] { return now; }};
};

TEST_F(HeadlessAudioTest, MidiMusicStopsAtItsEndAndRestartsFromTheStart) {
  Open(dir.Write("song.mid", audio_test::Tune(4)));  // 2000 ms
  Send("play bgm");
  now += 1999;
  EXPECT_EQ(Send("status bgm mode"), "playing");
  now += 1;
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  now += 5000;
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("seek bgm to start");
  Send("play bgm");
  now += 1999;
  EXPECT_EQ(Send("status bgm mode"), "playing");
  now += 1;
  EXPECT_EQ(Send("status bgm mode"), "stopped");
}

TEST_F(HeadlessAudioTest, WaveMusicLastsItsDataAndOtherKindsPlayOn) {
  Open(dir.Write("song.wav", audio_test::Wave(8000, 1, 4000)));  // 500 ms
  Send("play bgm");
  now += 499;
  EXPECT_EQ(Send("status bgm mode"), "playing");
  now += 1;
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("close bgm");

  Open(dir.Write("song.ogg", audio_test::Bytes(100, 0)));
  Send("play bgm");
  now += 3'000'000;
  EXPECT_EQ(Send("status bgm mode"), "playing");
}

TEST_F(HeadlessAudioTest, StoppedTimeDoesNotCountTowardsTheEnd) {
  Open(dir.Write("song.mid", audio_test::Tune(2)));  // 1000 ms
  Send("play bgm");
  now += 600;
  Send("stop bgm");
  now += 10'000;
  Send("play bgm");
  now += 399;
  EXPECT_EQ(Send("status bgm mode"), "playing");
  now += 1;
  EXPECT_EQ(Send("status bgm mode"), "stopped");
}

TEST_F(HeadlessAudioTest, ClockWrapDoesNotEndTheMusic) {
  now = 0xFFFFFF00u;
  Open(dir.Write("song.mid", audio_test::Tune(4)));
  Send("play bgm");
  now += 0x200;  // wraps past zero, 512 ms later
  EXPECT_EQ(Send("status bgm mode"), "playing");
}

TEST_F(HeadlessAudioTest, UnplayableFilesNeverReadStopped) {
  const std::string names[] = {dir.Path("missing.mid"), dir.Write("bad.mid", {'M', 'T'}),
                               dir.Write("bad.wav", audio_test::Tune(2)),
                               dir.Write("song.xyz", audio_test::Tune(2))};
  for (const std::string& path : names) {
    Open(path);
    Send("play bgm");
    now += 100'000;
    EXPECT_EQ(Send("status bgm mode"), "") << path;
    Send("close bgm");
  }
}

TEST_F(HeadlessAudioTest, EveryCallIsLoggedWithItsTick) {
  Open("/tmp/none/song.mid");
  now = 1500;
  audio.PlaySound("/tmp/none/a.wav",
                  platform::kSndFilename | platform::kSndNoDefault | platform::kSndAsync);
  now = 2500;
  audio.PlaySound("", platform::kSndPurge);
  Send("close bgm");
  const std::vector<platform::AudioCall> expected = {
      {1000, "mci", "open \"/tmp/none/song.mid\" alias bgm"},
      {1500, "PlaySound", "0x20003 /tmp/none/a.wav"},
      {2500, "PlaySound", "0x40"},
      {2500, "mci", "close bgm"}};
  EXPECT_EQ(audio.Calls(), expected);
}

TEST(AudioCsvTest, FieldsWithCommasQuotesOrLineBreaksAreQuoted) {
  const std::vector<platform::AudioCall> calls = {{0, "mci", "open \"/tmp/a,b.mid\" alias bgm"},
                                                  {20, "PlaySound", "0x20003 /tmp/x/s.wav"},
                                                  {4294967295u, "mci", "odd\nline"}};
  std::ostringstream out;
  platform::WriteAudioCsv(out, calls);
  EXPECT_EQ(out.str(),
            "tick_ms,call,argument\n"
            "0,mci,\"open \"\"/tmp/a,b.mid\"\" alias bgm\"\n"
            "20,PlaySound,0x20003 /tmp/x/s.wav\n"
            "4294967295,mci,\"odd\nline\"\n");

  audio_test::ScratchDir dir;
  EXPECT_TRUE(platform::WriteAudioCsv(dir.Path("audio.csv"), calls));
  EXPECT_FALSE(platform::WriteAudioCsv(dir.Path("no/such/folder/audio.csv"), calls));
}

}  // namespace
