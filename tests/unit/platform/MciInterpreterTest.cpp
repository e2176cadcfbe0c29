#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audio/MciCommand.h"
#include "platform/audio/MciInterpreter.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::mci::Command;
using platform::mci::ParseCommand;
using platform::mci::SplitWords;
using platform::mci::Verb;

TEST(MciCommandTest, WordsSplitOnBlanksAndKeepQuotedRunsWhole) {
  EXPECT_EQ(SplitWords("  play   bgm "), (std::vector<std::string>{"play", "bgm"}));
  EXPECT_EQ(SplitWords("open \"/tmp/temp 1/My Song.mid\" alias bgm"),
            (std::vector<std::string>{"open", "/tmp/temp 1/My Song.mid", "alias", "bgm"}));
  EXPECT_EQ(SplitWords("open \"\" alias bgm"),
            (std::vector<std::string>{"open", "", "alias", "bgm"}));
  EXPECT_EQ(SplitWords("open \"/tmp/a.mid"), std::nullopt);
}

TEST(MciCommandTest, TheShowsCommandsParse) {
  const auto open = ParseCommand("open \"/tmp/temp1/song.mid\" alias bgm");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->verb, Verb::kOpen);
  EXPECT_EQ(open->path, "/tmp/temp1/song.mid");
  EXPECT_EQ(open->device, "bgm");

  const std::pair<const char*, Verb> others[] = {{"play bgm", Verb::kPlay},
                                                 {"status bgm mode", Verb::kStatusMode},
                                                 {"seek bgm to start", Verb::kSeekToStart},
                                                 {"seek bgm to end", Verb::kSeekToEnd},
                                                 {"stop bgm", Verb::kStop},
                                                 {"close bgm", Verb::kClose},
                                                 {"PLAY BGM", Verb::kPlay},
                                                 {"Status Bgm Mode", Verb::kStatusMode}};
  for (const auto& [text, verb] : others) {
    const auto command = ParseCommand(text);
    ASSERT_TRUE(command) << text;
    EXPECT_EQ(command->verb, verb) << text;
    EXPECT_EQ(command->device, "bgm") << text;
  }
}

TEST(MciCommandTest, OpenWithoutAliasNamesTheDeviceByItsPath) {
  const auto open = ParseCommand("open /tmp/Song.MID");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->path, "/tmp/Song.MID");
  EXPECT_EQ(open->device, "/tmp/song.mid");
}

TEST(MciCommandTest, UnknownOrMalformedCommandsAreRefused) {
  for (const char* text :
       {"", "play", "bgm", "pause bgm", "status bgm position", "status bgm", "seek bgm to middle",
        "seek bgm start", "play bgm from 0", "play bgm wait", "open \"/tmp/a.mid\" alias",
        "open \"/a.mid\" as bgm", "open \"/tmp/a.mid", "close", "close bgm now", "play \"\""}) {
    EXPECT_EQ(ParseCommand(text), std::nullopt) << text;
  }
}

// Records what the interpreter asks of the player; the test decides when the music ends.
class FakePlayer final : public platform::MusicPlayer {
 public:
  bool Open(const std::string& path) override {
    log.push_back("Open " + path);
    return openable;
  }
  void Close() override { log.push_back("Close"); }
  void PlayFromStart() override {
    log.push_back("PlayFromStart");
    sounding = true;
  }
  void Pause() override { log.push_back("Pause"); }
  void Resume() override { log.push_back("Resume"); }
  void Halt() override {
    log.push_back("Halt");
    sounding = false;
  }
  bool IsPlaying() override { return sounding; }

  bool openable = true;
  bool sounding = false;
  std::vector<std::string> log;
};

class MciInterpreterTest : public ::testing::Test {
 protected:
  std::string Send(const std::string& command) {
    std::string reply = "left over";
    interpreter.Send(command, reply);
    return reply;
  }

  FakePlayer player;
  platform::MciInterpreter interpreter{player};
};

TEST_F(MciInterpreterTest, KeepAliveCycleRestartsOnlyAfterSeekToStart) {
  EXPECT_EQ(Send("open \"/tmp/t/song.mid\" alias bgm"), "");
  EXPECT_EQ(Send("status bgm mode"), "stopped");  // opened, not yet played
  Send("play bgm");
  EXPECT_EQ(Send("status bgm mode"), "playing");
  Send("play bgm");         // already playing: nothing happens
  player.sounding = false;  // the music runs out
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("play bgm");  // at the end, play alone does not restart it
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("seek bgm to start");
  Send("play bgm");
  EXPECT_EQ(Send("status bgm mode"), "playing");
  Send("close bgm");
  EXPECT_EQ(player.log, (std::vector<std::string>{"Open /tmp/t/song.mid", "PlayFromStart", "Halt",
                                                  "PlayFromStart", "Close"}));
}

TEST_F(MciInterpreterTest, DeviceThatNeverOpenedAnswersNothing) {
  player.openable = false;
  Send("open \"/tmp/t/missing.mid\" alias bgm");
  EXPECT_FALSE(interpreter.IsOpen());
  for (const char* command : {"play bgm", "status bgm mode", "seek bgm to start", "close bgm"}) {
    std::string reply = "left over";
    EXPECT_FALSE(interpreter.Send(command, reply)) << command;
    EXPECT_EQ(reply, "") << command;
  }
  EXPECT_EQ(player.log, std::vector<std::string>{"Open /tmp/t/missing.mid"});
}

TEST_F(MciInterpreterTest, AliasIsCaseBlindAndOtherNamesAreRefused) {
  Send("open \"/tmp/a.wav\" alias BGM");
  Send("play bgm");
  EXPECT_EQ(Send("status Bgm mode"), "playing");
  EXPECT_EQ(Send("status music mode"), "");
  std::string reply;
  EXPECT_FALSE(interpreter.Send("close music", reply));
  EXPECT_FALSE(interpreter.Send("open \"/tmp/b.wav\" alias bgm", reply));  // alias taken
  EXPECT_FALSE(interpreter.Send("open \"/tmp/b.wav\" alias other", reply));
  EXPECT_EQ(player.log, (std::vector<std::string>{"Open /tmp/a.wav", "PlayFromStart"}));
}

TEST_F(MciInterpreterTest, UnknownCommandChangesNothing) {
  Send("open \"/tmp/a.wav\" alias bgm");
  Send("play bgm");
  std::string reply = "left over";
  EXPECT_FALSE(interpreter.Send("set bgm time format milliseconds", reply));
  EXPECT_EQ(reply, "");
  EXPECT_EQ(Send("status bgm mode"), "playing");
  EXPECT_EQ(player.log.size(), 2u);
}

TEST_F(MciInterpreterTest, StopPausesAndPlayResumes) {
  Send("open \"/tmp/a.ogg\" alias bgm");
  Send("play bgm");
  Send("stop bgm");
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("play bgm");
  EXPECT_EQ(Send("status bgm mode"), "playing");
  EXPECT_EQ(player.log,
            (std::vector<std::string>{"Open /tmp/a.ogg", "PlayFromStart", "Pause", "Resume"}));
}

TEST_F(MciInterpreterTest, ClosedDeviceCanBeOpenedAgain) {
  Send("open \"/tmp/a.mid\" alias bgm");
  Send("play bgm");
  Send("close bgm");
  EXPECT_EQ(Send("status bgm mode"), "");
  Send("open \"/tmp/b.mid\" alias bgm");
  EXPECT_EQ(Send("status bgm mode"), "stopped");
  Send("play bgm");
  EXPECT_EQ(Send("status bgm mode"), "playing");
}

}  // namespace
