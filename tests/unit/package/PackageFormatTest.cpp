#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>

#include "package/PackageFormat.h"
#include "tests/unit/support/PackageExamples.h"
#include "tests/unit/support/ScratchFolder.h"
#ifndef _WIN32
#include "package/PackageText.h"
#endif

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using package::ByteArray;
using package::LoadPackageFromBytes;
using package::LoadPackageFromFile;
using package::Package;
using package::SceneRecord;
using testing_support::Pattern;
using testing_support::Present;
using testing_support::TwoScenes;
using testing_support::WithPlayer;
using testing_support::WorkedExample;

std::int32_t LongAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | b.at(at + static_cast<std::size_t>(i));
  return static_cast<std::int32_t>(v);
}
std::int16_t IntegerAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int16_t>(b.at(at) | b.at(at + 1) << 8);
}

// A file in a scratch folder of its own, removed with it at the end of the test.
class TempFile {
 public:
  explicit TempFile(const std::vector<std::uint8_t>& bytes)
      : path_(folder_.Write("saver.scr", bytes)) {}
  const std::string& path() const { return path_; }

 private:
  testing_support::ScratchFolder folder_{"package-test"};
  std::string path_;
};

TEST(PackageFormat, WorkedExampleByteForByte) {
  Package p = WorkedExample();
  const std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  ASSERT_EQ(bytes.size(), 99154u);
  EXPECT_EQ(p.PackageLength, 99154);
  EXPECT_EQ(LongAt(bytes, 0), 550);
  EXPECT_EQ(LongAt(bytes, 4), 550);
  EXPECT_EQ(LongAt(bytes, 8), 2);
  EXPECT_EQ(IntegerAt(bytes, 12), 1);
  EXPECT_EQ(LongAt(bytes, 14), 1);
  EXPECT_EQ(IntegerAt(bytes, 18), 7);
  EXPECT_EQ(std::string(bytes.begin() + 20, bytes.begin() + 27), "bgm.mid");
  EXPECT_EQ(IntegerAt(bytes, 27), 1);
  EXPECT_EQ(LongAt(bytes, 29), 20117);
  EXPECT_EQ(LongAt(bytes, 33), 0);
  EXPECT_EQ(bytes[37], 1);  // first music byte
  EXPECT_EQ(IntegerAt(bytes, 20154), 1);
  EXPECT_EQ(LongAt(bytes, 20156), 1);
  EXPECT_EQ(LongAt(bytes, 20160), 0);
  EXPECT_EQ(IntegerAt(bytes, 20164), 1);
  EXPECT_EQ(bytes[20166], '0');
  EXPECT_EQ(IntegerAt(bytes, 20167), 0);
  EXPECT_EQ(LongAt(bytes, 20169), 5000);
  EXPECT_EQ(LongAt(bytes, 20173), 0);
  EXPECT_EQ(LongAt(bytes, 20177), 0);
  EXPECT_EQ(LongAt(bytes, 20181), 23);
  EXPECT_EQ(IntegerAt(bytes, 20185), 0);
  EXPECT_EQ(IntegerAt(bytes, 20187), 0);
  EXPECT_EQ(IntegerAt(bytes, 20189), 1);
  EXPECT_EQ(LongAt(bytes, 20191), 78949);
  EXPECT_EQ(LongAt(bytes, 20195), 0);
  EXPECT_EQ(bytes[20199], 3);  // first picture byte
  EXPECT_EQ(IntegerAt(bytes, 99148), 0);
  EXPECT_EQ(LongAt(bytes, 99150), 99154);

  const std::vector<std::uint8_t> file = WithPlayer(197458 - 99154, bytes);
  ASSERT_EQ(file.size(), 197458u);
  const TempFile temp(file);
  const package::LoadResult r = LoadPackageFromFile(temp.path());
  ASSERT_FALSE(r.problem) << r.problem->message;
  EXPECT_EQ(r.package_offset, 98304u);
  EXPECT_EQ(r.record, p);
  EXPECT_EQ(r.layout.MusicFileName, 18u);
  EXPECT_EQ(r.layout.MusicData, 27u);
  EXPECT_EQ(r.layout.Scenes, 20154u);
  ASSERT_EQ(r.layout.scenes.size(), 1u);
  EXPECT_EQ(r.layout.scenes[0].PictureFileName, 20164u);
  EXPECT_EQ(r.layout.scenes[0].SoundFileName, 20167u);
  EXPECT_EQ(r.layout.scenes[0].PictureData, 20189u);
  EXPECT_EQ(r.layout.scenes[0].SoundData, 99148u);
  EXPECT_EQ(r.layout.PackageLength, 99150u);
}

TEST(PackageFormat, RoundTripsFromFileAndMemoryWhateverThePlayerLength) {
  Package p = TwoScenes();
  const std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  for (std::size_t player : {0u, 1u, 70000u}) {
    const std::vector<std::uint8_t> file = WithPlayer(player, bytes);
    const package::LoadResult from_memory = LoadPackageFromBytes(file);
    ASSERT_FALSE(from_memory.problem) << from_memory.problem->message;
    EXPECT_EQ(from_memory.record, p);
    EXPECT_EQ(from_memory.package_offset, player);
    const TempFile temp(file);
    EXPECT_EQ(LoadPackageFromFile(temp.path()).record, p);
  }
  EXPECT_EQ(package::SerializePackage(p), bytes);
}

TEST(PackageFormat, EmptyValuesTakeTwoBytesEach) {
  Package p;
  EXPECT_EQ(package::SerializedLength(p), package::kMinimumPackageLength);
  p.ScenesPresent = true;
  p.Scenes.resize(1);
  // Header 18, empty name 2, absent music 2, scenes header 10, scene 28, trailer 4.
  EXPECT_EQ(package::SerializedLength(p), 18u + 2 + 2 + 10 + 28 + 4);
  const std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  const package::LoadResult r = LoadPackageFromBytes(bytes);
  ASSERT_FALSE(r.problem);
  EXPECT_EQ(r.record, p);
}

TEST(PackageFormat, WriterRefusesWhatTheFormatCannotHold) {
  Package p;
  p.MusicFileName.assign(65536, 'x');
  EXPECT_THROW(package::SerializePackage(p), std::invalid_argument);
  p.MusicFileName.assign(65535, 'x');
  EXPECT_NO_THROW(package::SerializePackage(p));
  p.MusicData.bytes = {1, 2};  // bytes in an absent array
  EXPECT_THROW(package::SerializePackage(p), std::invalid_argument);
  Package q;
  q.Scenes.resize(1);  // scenes in an absent array
  EXPECT_THROW(package::SerializePackage(q), std::invalid_argument);
}

void ExpectProblem(const package::LoadResult& r, std::uint64_t offset, const char* says) {
  ASSERT_TRUE(r.problem);
  EXPECT_EQ(r.problem->offset, offset);
  EXPECT_NE(r.problem->message.find(says), std::string::npos) << r.problem->message;
}

TEST(PackageFormat, DamagedFilesGiveEmptyRecordAndNameTheProblem) {
  const std::vector<std::uint8_t> zeros = WithPlayer(100, {0, 0, 0, 0});
  auto r = LoadPackageFromBytes(zeros);
  ExpectProblem(r, 100, "0");
  EXPECT_EQ(r.record, Package{});

  std::vector<std::uint8_t> too_long = WithPlayer(100, {0x10, 0x27, 0, 0});  // 10000
  r = LoadPackageFromBytes(too_long);
  ExpectProblem(r, 100, "larger than the file");
  EXPECT_EQ(r.record, Package{});

  r = LoadPackageFromBytes(WithPlayer(10, {0xFF, 0xFF, 0xFF, 0xFF}));
  ExpectProblem(r, 10, "negative");

  r = LoadPackageFromBytes(std::vector<std::uint8_t>{1, 2, 3});
  ASSERT_TRUE(r.problem);
  EXPECT_EQ(r.record, Package{});

  const TempFile nothing(std::vector<std::uint8_t>{});
  EXPECT_TRUE(LoadPackageFromFile(nothing.path()).problem);
  EXPECT_TRUE(LoadPackageFromFile("/nonexistent/saver.scr").problem);
  EXPECT_TRUE(LoadPackageFromFile(std::filesystem::temp_directory_path().string()).problem);
#ifndef _WIN32
  // A FIFO is refused without waiting for a writer.
  const std::string fifo = nothing.path() + ".fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(LoadPackageFromFile(fifo).problem);
  std::filesystem::remove(fifo);
#endif
}

TEST(PackageFormat, TruncatedPackageKeepsWhatWasRead) {
  Package p = TwoScenes();
  std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  // Cut the package inside the second scene's picture but keep the trailer at the end.
  const std::uint64_t cut = bytes.size() - 100;
  std::vector<std::uint8_t> file(bytes.begin(), bytes.begin() + static_cast<long>(cut));
  const std::int32_t length = static_cast<std::int32_t>(cut + 4);
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  const auto r = LoadPackageFromBytes(file);
  ASSERT_TRUE(r.problem);
  EXPECT_NE(r.problem->message.find("scene 1 PictureData"), std::string::npos)
      << r.problem->message;
  EXPECT_EQ(r.record.PictureWidth, 640);
  EXPECT_EQ(r.record.SceneCount, 2);
  ASSERT_EQ(r.record.Scenes.size(), 1u);  // only complete scenes are kept
  EXPECT_EQ(r.record.Scenes[0], p.Scenes[0]);
}

TEST(PackageFormat, CountsLargerThanTheFileAreRefusedBeforeAllocating) {
  Package p = TwoScenes();
  std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  // Scenes header right after the 20-byte header and empty music (18 + 2 + 2 = 22).
  ASSERT_EQ(IntegerAt(bytes, 22), 1);
  std::vector<std::uint8_t> huge_scenes = bytes;
  huge_scenes[24 + 3] = 0x7F;  // element count 0x7F000002
  auto r = LoadPackageFromBytes(huge_scenes);
  ExpectProblem(r, 22, "runs past the end");
  EXPECT_TRUE(r.record.Scenes.empty());

  // The first scene's picture array starts after its names and fixed fields.
  const std::uint64_t picture = 22 + 10 + 7 + 7 + 20;
  ASSERT_EQ(IntegerAt(bytes, picture), 1);
  std::vector<std::uint8_t> huge_picture = bytes;
  huge_picture[picture + 2 + 3] = 0x7F;
  r = LoadPackageFromBytes(huge_picture);
  ExpectProblem(r, picture, "runs past the end");

  std::vector<std::uint8_t> negative = bytes;
  negative[picture + 2 + 3] = 0x80;
  r = LoadPackageFromBytes(negative);
  ExpectProblem(r, picture, "negative");

  std::vector<std::uint8_t> two_dimensions = bytes;
  two_dimensions[picture] = 2;
  r = LoadPackageFromBytes(two_dimensions);
  ExpectProblem(r, picture, "dimension count 2");

  // A lower bound whose last index would pass the largest Long.
  std::vector<std::uint8_t> past_last_index = bytes;
  past_last_index[picture + 6] = 0xFF;
  past_last_index[picture + 7] = 0xFF;
  past_last_index[picture + 8] = 0xFF;
  past_last_index[picture + 9] = 0x7F;
  r = LoadPackageFromBytes(past_last_index);
  ExpectProblem(r, picture, "run past index 2147483647");

  std::vector<std::uint8_t> long_name = bytes;
  long_name[18] = 0xFF;  // music name byte count 0xFF00 + 0
  long_name[19] = 0xFF;
  r = LoadPackageFromBytes(long_name);
  ExpectProblem(r, 18, "byte count 65535");
}

TEST(PackageFormat, ArraysLoadWhateverTheirLowerBound) {
  Package p = TwoScenes();
  p.MusicFileName = "m.mid";
  p.MusicData = Present(Pattern(10, 7));
  p.MusicData.lower_bound = 1;
  p.Scenes[0].PictureData.lower_bound = -5;
  p.Scenes[0].SoundData.lower_bound = std::numeric_limits<std::int32_t>::min();
  // The largest bound that still leaves room for all of its elements.
  p.Scenes[1].PictureData.lower_bound =
      std::numeric_limits<std::int32_t>::max() -
      static_cast<std::int32_t>(p.Scenes[1].PictureData.bytes.size()) + 1;
  p.ScenesLowerBound = 3;
  const std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
  const std::size_t music = 18 + 2 + 5;
  ASSERT_EQ(LongAt(bytes, music + 6), 1);  // the bound is where the reader looks for it
  const package::LoadResult r = LoadPackageFromBytes(bytes);
  ASSERT_FALSE(r.problem) << r.problem->message;
  EXPECT_EQ(r.record, p);
  EXPECT_EQ(r.record.MusicData.bytes, Pattern(10, 7));
  EXPECT_EQ(r.record.ScenesLowerBound, 3);
  EXPECT_EQ(package::SceneAt(r.record, 0), nullptr);  // the scenes are 3 and 4
  ASSERT_NE(package::SceneAt(r.record, 4), nullptr);
  EXPECT_EQ(package::SceneAt(r.record, 4)->PictureFileName, p.Scenes[1].PictureFileName);
  EXPECT_EQ(package::SerializePackage(r.record), bytes);
}

TEST(PackageFormat, BytesBetweenTheContentAndTheEndAreReported) {
  Package p = TwoScenes();
  std::vector<std::uint8_t> file = package::SerializeWithLength(p);
  // The length field inside the content and the trailer both claim four bytes more.
  const std::size_t n = file.size();
  const std::int32_t length = static_cast<std::int32_t>(n + 4);
  file.resize(n + 4);
  for (int i = 0; i < 4; ++i) {
    file[n - 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    file[n + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
  }
  const auto r = LoadPackageFromBytes(file);
  ExpectProblem(r, n, "ends 4 bytes before the end");
  EXPECT_EQ(r.record.Scenes, p.Scenes);  // everything was read
}

#ifndef _WIN32
TEST(PackageText, ConvertsCp932AndSurvivesInvalidBytes) {
  EXPECT_EQ(package::AnsiToUtf8("bgm.mid"), "bgm.mid");
  EXPECT_EQ(package::AnsiToUtf8("\x83\x65\x83\x58\x83\x67"), "テスト");
  EXPECT_EQ(package::AnsiToUtf8("\x90\xdd\x92\xe8"), "設定");
  EXPECT_EQ(package::AnsiToUtf8("a\x81"), "a\uFFFD");       // incomplete lead byte
  EXPECT_EQ(package::AnsiToUtf8("\x81\x20z"), "\uFFFD z");  // invalid trail byte
  EXPECT_EQ(package::Utf8ToAnsi("テスト"), "\x83\x65\x83\x58\x83\x67");
  EXPECT_EQ(package::Utf8ToAnsi("plain"), "plain");
  EXPECT_FALSE(package::Utf8ToAnsi("\xF0\x9F\x98\x80"));  // an emoji has no CP932 form
  EXPECT_FALSE(package::Utf8ToAnsi("\xC3"));              // broken UTF-8
}
#endif

}  // namespace
