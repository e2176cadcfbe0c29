#include <gtest/gtest.h>

#include "platform/audio/MusicFile.h"
#include "tests/unit/support/AudioTestFiles.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using audio_test::Bytes;
using audio_test::Smf;
using audio_test::Track;
using platform::MusicKind;
using platform::MusicKindFromPath;
using platform::SmfDurationMs;
using platform::SmfPayload;
using platform::WaveDurationMs;

TEST(MusicFileTest, KindComesFromTheExtensionCaseBlind) {
  EXPECT_EQ(MusicKindFromPath("/tmp/temp1/SONG.MID"), MusicKind::kMidi);
  EXPECT_EQ(MusicKindFromPath("a.midi"), MusicKind::kMidi);
  EXPECT_EQ(MusicKindFromPath("a.Rmi"), MusicKind::kMidi);
  EXPECT_EQ(MusicKindFromPath("a.wav"), MusicKind::kWave);
  EXPECT_EQ(MusicKindFromPath("a.Mp3"), MusicKind::kMp3);
  EXPECT_EQ(MusicKindFromPath("a.ogg"), MusicKind::kOgg);
  EXPECT_EQ(MusicKindFromPath("a.txt"), std::nullopt);
  EXPECT_EQ(MusicKindFromPath("noextension"), std::nullopt);
  EXPECT_EQ(MusicKindFromPath("/tmp/dir.mid/music"), std::nullopt);
  EXPECT_EQ(MusicKindFromPath("C:\\dir.wav\\music"), std::nullopt);
}

TEST(MusicFileTest, SmfDurationFollowsTheTempoMapOfAllTracks) {
  EXPECT_EQ(SmfDurationMs(audio_test::Tune(4)), 2000u);

  // Tempo track: 120 bpm, then twice as fast from tick 960; the notes run to tick 1920.
  Track tempo;
  tempo.Tempo(0, 500000).Tempo(960, 250000).End();
  Track notes;
  notes.Note(0, 960, 60).Note(0, 960, 62).End();
  EXPECT_EQ(SmfDurationMs(Smf(1, 480, {tempo, notes})), 1000u + 500u);

  // The longest track decides, whichever place it has.
  Track shorter;
  shorter.Note(0, 480, 70).End();
  EXPECT_EQ(SmfDurationMs(Smf(1, 480, {shorter, notes})), 2000u);
}

TEST(MusicFileTest, SmfEventsOfEveryShapeAreStepped) {
  Track track;
  track
      .Event(0, {0xF0, 0x03, 0x7E, 0x7F, 0xF7})  // system exclusive
      .Event(0, {0xC0, 0x05})                    // one data byte
      .Event(0, {0x90, 60, 100})
      .Event(240, {64, 100})  // running status
      .Event(240, {67, 100})
      .Event(0, {0xFF, 0x03, 0x02, 'h', 'i'})  // meta text
      .Event(480, {0xB0, 7, 90})
      .End(960);
  EXPECT_EQ(SmfDurationMs(Smf(0, 480, {track})), 1000u + 1000u);
}

TEST(MusicFileTest, SmfSmpteTimeBaseIgnoresTempo) {
  Track track;
  track.Tempo(0, 250000).Note(0, 2500, 60).End();
  // 25 frames per second, 40 ticks per frame: 1000 ticks a second.
  EXPECT_EQ(SmfDurationMs(Smf(0, 0xE728, {track})), 2500u);
}

TEST(MusicFileTest, SmfCutShortCountsItsCompleteEvents) {
  Bytes smf = audio_test::Tune(4);
  EXPECT_EQ(SmfDurationMs(Bytes(smf.begin(), smf.end() - 9)), 1500u);
  // The declared track length runs past the file's end: the bytes present still count.
  EXPECT_EQ(SmfDurationMs(Bytes(smf.begin(), smf.end() - 4)), 2000u);
}

TEST(MusicFileTest, SmfUnreadableHeaderHasNoDuration) {
  const Bytes good = audio_test::Tune(2);
  EXPECT_EQ(SmfDurationMs({}), std::nullopt);
  EXPECT_EQ(SmfDurationMs(Bytes(good.begin(), good.begin() + 13)), std::nullopt);
  Bytes bad = good;
  bad[0] = 'X';
  EXPECT_EQ(SmfDurationMs(bad), std::nullopt);
  bad = good;
  bad[12] = bad[13] = 0;  // division 0
  EXPECT_EQ(SmfDurationMs(bad), std::nullopt);
  bad = good;
  bad[10] = bad[11] = 0;  // no tracks
  EXPECT_EQ(SmfDurationMs(bad), std::nullopt);
  bad = good;
  bad[4] = 0x7F;  // header length past the end
  EXPECT_EQ(SmfDurationMs(bad), std::nullopt);
  bad = good;
  bad[14] = 'X';  // the only track chunk is not a track
  EXPECT_EQ(SmfDurationMs(bad), std::nullopt);
}

TEST(MusicFileTest, SmfPayloadUnwrapsRiffMidi) {
  const Bytes smf = audio_test::Tune(3);
  EXPECT_EQ(SmfPayload(smf).size(), smf.size());

  Bytes rmi;
  audio_test::PutText(rmi, "RIFF");
  audio_test::PutLe(rmi, 0, 4);
  audio_test::PutText(rmi, "RMID");
  audio_test::PutText(rmi, "INFO");
  audio_test::PutLe(rmi, 3, 4);
  rmi.insert(rmi.end(), {1, 2, 3, 0});  // odd size, padded
  audio_test::PutText(rmi, "data");
  audio_test::PutLe(rmi, static_cast<std::uint32_t>(smf.size()), 4);
  rmi.insert(rmi.end(), smf.begin(), smf.end());
  const auto payload = SmfPayload(rmi);
  ASSERT_EQ(payload.size(), smf.size());
  EXPECT_EQ(SmfDurationMs(payload), 1500u);

  Bytes wave = audio_test::Wave(8000, 1, 8);
  EXPECT_TRUE(SmfPayload(wave).empty());
  rmi[32] = 'X';  // the data chunk no longer holds a MIDI file
  EXPECT_TRUE(SmfPayload(rmi).empty());
}

TEST(MusicFileTest, WaveDurationFromFormatAndData) {
  EXPECT_EQ(WaveDurationMs(audio_test::Wave(22050, 1, 11025)), 500u);
  EXPECT_EQ(WaveDurationMs(audio_test::Wave(44100, 2, 44100)), 1000u);

  // A data chunk declared longer than the file counts what is there.
  Bytes cut = audio_test::Wave(8000, 1, 8000);
  cut.resize(cut.size() - 8000);
  EXPECT_EQ(WaveDurationMs(cut), 500u);

  Bytes no_format = audio_test::Wave(8000, 1, 80);
  no_format[12] = 'x';
  EXPECT_EQ(WaveDurationMs(no_format), std::nullopt);
  Bytes not_wave = audio_test::Wave(8000, 1, 80);
  not_wave[8] = 'A';
  EXPECT_EQ(WaveDurationMs(not_wave), std::nullopt);
  EXPECT_EQ(WaveDurationMs(audio_test::Tune(1)), std::nullopt);
}

TEST(MusicFileTest, WaveChunkSizesAreHeldToTheFile) {
  Bytes wave = audio_test::Wave(8000, 1, 100);  // data chunk at 36, 200 bytes
  wave[40] = 0xE0;
  wave[41] = wave[42] = wave[43] = 0xD8;  // the data chunk claims 3.6 GB
  wave[4] = wave[5] = wave[6] = wave[7] = 0xFF;
  ASSERT_TRUE(platform::ClipWaveChunksToFile(wave));
  EXPECT_EQ(audio_test::Le32At(wave, 4), wave.size() - 8);
  EXPECT_EQ(audio_test::Le32At(wave, 40), 200u);
  EXPECT_EQ(WaveDurationMs(wave), 13u);  // 200 bytes at 16000 a second

  const Bytes honest = audio_test::Wave(8000, 1, 100);
  Bytes copy = honest;
  ASSERT_TRUE(platform::ClipWaveChunksToFile(copy));
  EXPECT_EQ(copy, honest);

  Bytes midi = audio_test::Tune(1);
  EXPECT_FALSE(platform::ClipWaveChunksToFile(midi));
  EXPECT_EQ(midi, audio_test::Tune(1));
}

TEST(MusicFileTest, OnlyWaveFormatsADecoderCanTakeSafelyPass) {
  using platform::HasDecodableWaveFormat;
  EXPECT_TRUE(HasDecodableWaveFormat(audio_test::Wave(8000, 1, 10)));
  EXPECT_TRUE(HasDecodableWaveFormat(audio_test::Wave(44100, 2, 10)));
  EXPECT_FALSE(HasDecodableWaveFormat(audio_test::Tune(1)));
  // Offsets in the format chunk: channels 22, rate 24, block size 32, bits 34.
  const auto with = [](std::size_t at, std::uint16_t value) {
    Bytes wave = audio_test::Wave(8000, 1, 10);
    wave[at] = static_cast<std::uint8_t>(value & 0xFF);
    wave[at + 1] = static_cast<std::uint8_t>(value >> 8);
    return wave;
  };
  EXPECT_FALSE(HasDecodableWaveFormat(with(22, 0)));      // no channels
  EXPECT_FALSE(HasDecodableWaveFormat(with(22, 16384)));  // the fuzzer's 16,384 channels
  EXPECT_FALSE(HasDecodableWaveFormat(with(24, 0) /* rate 0 when the high half is 0 */));
  EXPECT_FALSE(HasDecodableWaveFormat(with(32, 0)));     // block size 0: a division by zero
  EXPECT_FALSE(HasDecodableWaveFormat(with(32, 3)));     // block size not channels x width
  EXPECT_FALSE(HasDecodableWaveFormat(with(34, 12)));    // 12-bit PCM
  EXPECT_FALSE(HasDecodableWaveFormat(with(20, 0x55)));  // MPEG inside RIFF
  Bytes no_format = audio_test::Wave(8000, 1, 10);
  no_format[12] = 'x';
  EXPECT_FALSE(HasDecodableWaveFormat(no_format));
}

TEST(MusicFileTest, ReadWholeFileRefusesMissingAndOversizedFiles) {
  audio_test::ScratchDir dir;
  const std::string path = dir.Write("a.bin", Bytes(1000, 7));
  EXPECT_EQ(platform::ReadWholeFile(path.c_str())->size(), 1000u);
  EXPECT_EQ(platform::ReadWholeFile(path.c_str(), 999), std::nullopt);
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("missing").c_str()), std::nullopt);
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("").c_str()), std::nullopt);  // a folder
}

}  // namespace
