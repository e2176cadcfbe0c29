#include <gtest/gtest.h>

#include <map>

#include "platform/MusicAndSounds.h"
#include "tests/unit/support/AudioTestFiles.h"
#include "tools/scenepack/AudioMixdown.h"

namespace {

using scenesaver::scenepack::AudioMixdown;
using scenesaver::scenepack::SampleBuffer;

// Music whose left channel is 0.25 and whose right channel counts its own frames since the
// last restart (in millionths), so that a pause, a resume and a restart show in the samples.
class CountingMusic final : public scenesaver::scenepack::MusicVoice {
 public:
  explicit CountingMusic(int& restarts) : restarts_(restarts) {}
  void Restart() override {
    ++restarts_;
    played_ = 0;
  }
  void MixInto(std::span<float> out) override {
    for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
      out[i] += 0.25f;
      out[i + 1] += static_cast<float>(played_++) * 1e-6f;
    }
  }

 private:
  int& restarts_;
  std::int64_t played_ = 0;
};

class FakeSources final : public scenesaver::scenepack::AudioSources {
 public:
  std::unique_ptr<scenesaver::scenepack::MusicVoice> OpenMusic(
      const std::string& /*path*/) override {
    ++music_opened;
    return std::make_unique<CountingMusic>(restarts);
  }
  std::shared_ptr<const SampleBuffer> LoadSound(const std::string& path) override {
    const auto found = sounds.find(path);
    return found == sounds.end() ? nullptr : found->second;
  }
  void AddSound(const std::string& path, std::size_t frames, float value) {
    sounds[path] = std::make_shared<SampleBuffer>(frames * 2, value);
  }

  int music_opened = 0;
  int restarts = 0;
  std::map<std::string, std::shared_ptr<const SampleBuffer>> sounds;
};

class AudioMixdownTest : public ::testing::Test {
 protected:
  AudioMixdown& Mixdown(std::uint64_t total_frames) {
    mixdown.emplace(sources, total_frames, [this](std::span<const float> block) {
      out.insert(out.end(), block.begin(), block.end());
    });
    return *mixdown;
  }
  void Call(std::uint32_t tick, const std::string& call, const std::string& argument) {
    mixdown->Apply(scenesaver::platform::AudioCall{tick, call, argument});
  }
  void Sound(std::uint32_t tick, const std::string& name) {
    Call(tick, "PlaySound", "0x20003 " + name);
  }
  float Left(std::size_t frame) const { return out.at(frame * 2); }
  float Right(std::size_t frame) const { return out.at(frame * 2 + 1); }

  scenesaver::audio_test::ScratchDir dir;
  FakeSources sources;
  std::optional<AudioMixdown> mixdown;
  SampleBuffer out;
};

TEST(PlaySoundArgumentTest, ReadsTheLoggedFlagsAndName) {
  const auto sound = scenesaver::scenepack::ParsePlaySoundArgument("0x20003 /tmp/a b.wav");
  EXPECT_EQ(sound.flags, 0x20003u);
  EXPECT_EQ(sound.name, "/tmp/a b.wav");
  const auto purge = scenesaver::scenepack::ParsePlaySoundArgument("0x40");
  EXPECT_EQ(purge.flags, scenesaver::platform::kSndPurge);
  EXPECT_EQ(purge.name, "");
  EXPECT_EQ(scenesaver::scenepack::SampleFrameAt(16910), 811680u);
}

TEST_F(AudioMixdownTest, ASceneSoundStartsAtTheSampleOfItsTick) {
  sources.AddSound("a.wav", 100, 0.5f);
  Mixdown(1000);
  Sound(10, "a.wav");
  mixdown->Finish();
  ASSERT_EQ(out.size(), 2000u);
  EXPECT_EQ(Left(479), 0.0f);
  EXPECT_EQ(Left(480), 0.5f);
  EXPECT_EQ(Right(480), 0.5f);
  EXPECT_EQ(Left(579), 0.5f);
  EXPECT_EQ(Left(580), 0.0f);
}

TEST_F(AudioMixdownTest, ANewSoundAPurgeOrAnUnplayableSoundCutsTheOneStillPlaying) {
  sources.AddSound("long.wav", 10000, 0.5f);
  sources.AddSound("short.wav", 10, 0.25f);
  Mixdown(5000);
  Sound(0, "long.wav");
  Sound(5, "short.wav");
  Sound(20, "long.wav");
  Call(30, "PlaySound", "0x40");
  Sound(40, "long.wav");
  Sound(50, "missing.wav");
  mixdown->Finish();
  EXPECT_EQ(Left(239), 0.5f);
  EXPECT_EQ(Left(240), 0.25f);
  EXPECT_EQ(Left(249), 0.25f);
  EXPECT_EQ(Left(250), 0.0f);  // the long sound does not come back
  EXPECT_EQ(Left(960), 0.5f);  // it starts anew at 20 ms
  EXPECT_EQ(Left(1439), 0.5f);
  EXPECT_EQ(Left(1440), 0.0f);  // purged at 30 ms
  EXPECT_EQ(Left(1920), 0.5f);
  EXPECT_EQ(Left(2400), 0.0f);  // a sound that cannot be played still stops the one before
}

TEST_F(AudioMixdownTest, TheMusicPausesResumesAndRestartsWhereTheShowSaidSo) {
  const std::string tune = dir.Write("tune.mid", scenesaver::audio_test::Tune(4));  // plays 2000 ms
  Mixdown(200'000);
  Call(0, "mci", "open \"" + tune + "\" alias bgm");
  Call(0, "mci", "play bgm");
  Call(10, "mci", "stop bgm");
  Call(20, "mci", "play bgm");
  // The file has played 1990 ms by 2000 ms: still playing, no restart.
  Call(2000, "mci", "status bgm mode");
  Call(2000, "mci", "seek bgm to start");
  EXPECT_FALSE(mixdown->MusicSounding());
  Call(2500, "mci", "play bgm");
  Call(3000, "mci", "close bgm");
  mixdown->Finish();
  EXPECT_EQ(sources.music_opened, 1);
  EXPECT_EQ(sources.restarts, 2);
  EXPECT_EQ(Left(0), 0.25f);
  EXPECT_FLOAT_EQ(Right(479), 479e-6f);
  EXPECT_EQ(Left(480), 0.0f);  // paused
  EXPECT_EQ(Left(959), 0.0f);
  EXPECT_FLOAT_EQ(Right(960), 480e-6f);  // resumed where it paused
  EXPECT_EQ(Left(2000 * 48), 0.0f);      // halted by the seek
  EXPECT_EQ(Left(2500 * 48 - 1), 0.0f);
  EXPECT_EQ(Right(2500 * 48), 0.0f);  // from the beginning again
  EXPECT_EQ(Left(2500 * 48), 0.25f);
  EXPECT_EQ(Left(3000 * 48), 0.0f);  // closed
}

TEST_F(AudioMixdownTest, TheKeepAliveRestartsOnlyOnceTheFileHasEndedOnTheShowsClock) {
  const std::string tune = dir.Write("tune.mid", scenesaver::audio_test::Tune(2));  // plays 1000 ms
  Mixdown(100'000);
  Call(0, "mci", "open \"" + tune + "\" alias bgm");
  Call(0, "mci", "play bgm");
  // The show's keep-alive: "status", and when stopped, "seek" and "play". Before the end the
  // play of a playing device does nothing.
  Call(999, "mci", "play bgm");
  EXPECT_EQ(sources.restarts, 1);
  Call(1500, "mci", "seek bgm to start");
  Call(1500, "mci", "play bgm");
  EXPECT_EQ(sources.restarts, 2);
  mixdown->Finish();
  EXPECT_FLOAT_EQ(Right(1499 * 48), (1499 * 48) * 1e-6f);  // ran on past the file's end
  EXPECT_EQ(Right(1500 * 48), 0.0f);
}

TEST_F(AudioMixdownTest, MusicThatCannotOpenLeavesTheDeviceClosed) {
  Mixdown(1000);
  Call(0, "mci", "open \"" + dir.Path("nothing.mid") + "\" alias bgm");
  Call(0, "mci", "play bgm");
  mixdown->Finish();
  EXPECT_EQ(sources.music_opened, 0);
  EXPECT_FALSE(mixdown->MusicSounding());
  EXPECT_EQ(Left(10), 0.0f);
}

TEST_F(AudioMixdownTest, TheMixIsClampedAndEndsExactlyAtItsLength) {
  const std::string tune = dir.Write("tune.mid", scenesaver::audio_test::Tune(4));
  sources.AddSound("loud.wav", 100, 0.9f);
  Mixdown(50);
  Call(0, "mci", "open \"" + tune + "\" alias bgm");
  Call(0, "mci", "play bgm");
  Sound(0, "loud.wav");
  EXPECT_EQ(mixdown->Position(), 0u);
  mixdown->MixUntil(10);
  EXPECT_EQ(out.size(), 20u);
  EXPECT_EQ(Left(0), 1.0f);
  EXPECT_FLOAT_EQ(Right(5), 0.9f + 5e-6f);
  Call(5000, "PlaySound", "0x40");  // far past the end: mixes only up to it
  mixdown->Finish();
  EXPECT_EQ(out.size(), 100u);
  EXPECT_EQ(mixdown->Position(), 50u);
}

TEST(MixClampedTest, HoldsEverySampleToTheFullScale) {
  std::vector<float> into = {0.5f, -0.5f, 0.9f, -0.9f};
  const std::vector<float> from = {0.25f, -0.25f, 0.5f, -0.5f};
  scenesaver::scenepack::MixClamped(into, from);
  EXPECT_EQ(into, (std::vector<float>{0.75f, -0.75f, 1.0f, -1.0f}));
}

}  // namespace
