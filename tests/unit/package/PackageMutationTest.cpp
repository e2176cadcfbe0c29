// Damaged packages: random corruption of every seed package, and the example package cut short
// at every byte. Each load must end (in the sanitizer build: without a report), must not take
// long (a coarse bound that only catches a hang), and must keep only values that were stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "package/PackageFormat.h"
#include "tests/unit/support/PackageExamples.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using package::LoadPackageFromBytes;
using package::LoadResult;
using package::Package;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// A load that takes this long is taken for a hang.
constexpr auto kHangBound = std::chrono::seconds(1);

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The example: 98,304 program bytes, then the 99,154-byte package.
Bytes ExampleFile() {
  Package p = testing_support::WorkedExample();
  return testing_support::WithPlayer(98'304, package::SerializeWithLength(p));
}

struct Seed {
  std::string name;
  Bytes bytes;
};

std::vector<Seed> Seeds() {
  std::vector<Seed> seeds;
  const std::filesystem::path corpus =
      std::filesystem::path(SCENESAVER_SOURCE_DIR) / "tests/fuzz/corpus/package";
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    seeds.push_back({entry.path().filename().string(), ReadFile(entry.path())});
  }
  std::sort(seeds.begin(), seeds.end(),
            [](const Seed& a, const Seed& b) { return a.name < b.name; });
  Package two = testing_support::TwoScenes();
  seeds.push_back(
      {"two scenes", testing_support::WithPlayer(1000, package::SerializeWithLength(two))});
  seeds.push_back({"example", ExampleFile()});
  return seeds;
}

// Loads and keeps the longest time taken.
class TimedLoader {
 public:
  LoadResult Load(std::span<const std::uint8_t> file) {
    const auto begin = Clock::now();
    LoadResult r = LoadPackageFromBytes(file);
    longest_ = std::max(longest_, Clock::now() - begin);
    ++loads_;
    return r;
  }
  Clock::duration longest() const { return longest_; }
  long loads() const { return loads_; }

 private:
  Clock::duration longest_{};
  long loads_ = 0;
};

// What a load that saw no problem must give: the very bytes of the package it found.
void ExpectRoundTrip(const LoadResult& r, std::span<const std::uint8_t> file) {
  if (r.problem) return;
  const Bytes again = package::SerializePackage(r.record);
  ASSERT_EQ(r.package_offset + again.size(), file.size());
  EXPECT_TRUE(
      std::equal(again.begin(), again.end(), file.begin() + static_cast<long>(r.package_offset)));
}

TEST(PackageMutation, CorruptedSeedsLoadOrFailQuickly) {
  std::mt19937 random(424242);
  TimedLoader loader;
  for (const Seed& seed : Seeds()) {
    ASSERT_FALSE(seed.bytes.empty()) << seed.name;
    const std::size_t most = std::max<std::size_t>(1, seed.bytes.size() / 100);
    for (int round = 0; round < 100; ++round) {
      Bytes damaged = seed.bytes;
      const std::size_t changes = 1 + random() % most;
      for (std::size_t i = 0; i < changes; ++i) {
        std::uint8_t& byte = damaged[random() % damaged.size()];
        // Half the time a value that makes counts extreme.
        static constexpr std::uint8_t kExtremes[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
        byte = random() % 2 ? kExtremes[random() % 5] : static_cast<std::uint8_t>(random());
      }
      const LoadResult r = loader.Load(damaged);
      ExpectRoundTrip(r, damaged);
      if (r.problem) {
        EXPECT_LE(r.problem->offset, damaged.size()) << seed.name << " round " << round;
      }
    }
  }
  EXPECT_LT(loader.longest(), kHangBound);
}

TEST(PackageMutation, ExampleCutShortAtEveryByte) {
  const Package example = testing_support::WorkedExample();
  Bytes file = ExampleFile();
  const std::size_t package_start = 98'304;
  TimedLoader loader;

  // The file cut: its last four bytes are then whatever lay there.
  for (std::size_t cut = 0; cut < file.size(); ++cut) {
    const LoadResult r = loader.Load(std::span(file.data(), cut));
    ExpectRoundTrip(r, std::span(file.data(), cut));
  }

  // The package cut, with a trailer giving the shortened length, so that the reader starts at
  // the right byte and runs into the end inside every field in turn. What it keeps is only
  // what was stored before the cut.
  const std::size_t package_length = file.size() - package_start;
  for (std::size_t cut = 0; cut + 4 < package_length; ++cut) {
    const std::size_t end = package_start + cut;
    std::uint8_t saved[4];
    std::copy_n(file.begin() + static_cast<long>(end), 4, saved);
    const auto length = static_cast<std::uint32_t>(cut + 4);
    for (int i = 0; i < 4; ++i)
      file[end + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
    const LoadResult r = loader.Load(std::span(file.data(), end + 4));
    std::copy_n(saved, 4, file.begin() + static_cast<long>(end));

    ASSERT_TRUE(r.problem) << "cut at " << cut;
    ASSERT_TRUE(r.found) << "cut at " << cut;
    // Fields wholly before the cut are the stored ones; the trailer's bytes may be read as
    // the field they land in, which is then what the shortened file holds.
    const Package& got = r.record;
    if (cut >= 4) {
      EXPECT_EQ(got.PictureWidth, 550) << "cut at " << cut;
    }
    if (cut >= 8) {
      EXPECT_EQ(got.PictureHeight, 550) << "cut at " << cut;
    }
    if (cut >= 18) {
      EXPECT_EQ(got.SceneCount, 1) << "cut at " << cut;
    }
    if (cut >= 27) {
      EXPECT_EQ(got.MusicFileName, "bgm.mid") << "cut at " << cut;
    }
    // The music's bytes run from 37 to 20,154; from a cut 4 bytes before their end the
    // trailer's bytes complete them.
    constexpr std::size_t kMusicStart = 37;
    constexpr std::size_t kMusicEnd = 20'154;
    if (cut + 4 >= kMusicEnd) {
      ASSERT_EQ(got.MusicData.bytes.size(), 20'117u) << "cut at " << cut;
      const std::size_t stored = std::min(cut, kMusicEnd) - kMusicStart;
      EXPECT_TRUE(std::equal(got.MusicData.bytes.begin(),
                             got.MusicData.bytes.begin() + static_cast<long>(stored),
                             example.MusicData.bytes.begin()))
          << "cut at " << cut;
    } else {
      EXPECT_TRUE(got.MusicData.bytes.empty()) << "cut at " << cut;
    }
    EXPECT_TRUE(got.Scenes.empty()) << "cut at " << cut;
  }
  EXPECT_LT(loader.longest(), kHangBound);
  EXPECT_EQ(loader.loads(), static_cast<long>(file.size() + package_length - 4));
}

}  // namespace
