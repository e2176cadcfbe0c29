#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/audio/SoundCache.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::FileIdentity;
using platform::IdentifyFile;

// A sound that counts how many of its kind are alive, to see what the cache frees.
struct Sound {
  explicit Sound(int* alive_count) : alive(alive_count) { ++*alive; }
  ~Sound() { --*alive; }
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;
  int* alive;
};
using SoundHandle = std::unique_ptr<Sound>;

FileIdentity File(std::int64_t size, std::int64_t modified_ns = 1) {
  return {1, 42, size, modified_ns};
}

TEST(SoundCacheTest, AKeptSoundServesOnlyWhileItsFileIsUnchanged) {
  int alive = 0;
  platform::SoundCache<SoundHandle> cache(1000);
  EXPECT_EQ(cache.Find("/t/chime.wav", File(10)), nullptr);
  const SoundHandle& kept =
      cache.Keep("/t/chime.wav", File(10), std::make_unique<Sound>(&alive), 100);
  const Sound* chime = kept.get();
  const SoundHandle* found = cache.Find("/t/chime.wav", File(10));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->get(), chime);
  EXPECT_EQ(cache.Find("/t/other.wav", File(10)), nullptr);
  // Rewritten in place (another size, another time) or replaced: decode it anew.
  EXPECT_EQ(cache.Find("/t/chime.wav", File(11)), nullptr);
  EXPECT_EQ(cache.Find("/t/chime.wav", File(10, 2)), nullptr);
  EXPECT_EQ(cache.Find("/t/chime.wav", {1, 43, 10, 1}), nullptr);
  // The new decoding takes the old one's place.
  cache.Keep("/t/chime.wav", File(11), std::make_unique<Sound>(&alive), 120);
  EXPECT_EQ(cache.Count(), 1u);
  EXPECT_EQ(cache.Bytes(), 120u);
  EXPECT_EQ(alive, 1);
  EXPECT_EQ(cache.Find("/t/chime.wav", File(10)), nullptr);
  EXPECT_NE(cache.Find("/t/chime.wav", File(11)), nullptr);
}

TEST(SoundCacheTest, OverCapacityTheLeastRecentlyUsedGoFirstButNeverTheNewest) {
  int alive = 0;
  platform::SoundCache<SoundHandle> cache(100);
  cache.Keep("a", File(1), std::make_unique<Sound>(&alive), 40);
  cache.Keep("b", File(1), std::make_unique<Sound>(&alive), 40);
  ASSERT_NE(cache.Find("a", File(1)), nullptr);  // a is now the more recent
  cache.Keep("c", File(1), std::make_unique<Sound>(&alive), 40);
  EXPECT_EQ(cache.Find("b", File(1)), nullptr);
  EXPECT_NE(cache.Find("a", File(1)), nullptr);
  EXPECT_NE(cache.Find("c", File(1)), nullptr);
  EXPECT_EQ(alive, 2);
  EXPECT_EQ(cache.Bytes(), 80u);

  // A sound larger than the whole capacity is still kept (it is about to play), alone.
  const SoundHandle& huge = cache.Keep("huge", File(1), std::make_unique<Sound>(&alive), 500);
  EXPECT_NE(huge.get(), nullptr);
  EXPECT_EQ(cache.Count(), 1u);
  EXPECT_EQ(alive, 1);
  EXPECT_NE(cache.Find("huge", File(1)), nullptr);
  // ...and goes as soon as the next one comes.
  cache.Keep("d", File(1), std::make_unique<Sound>(&alive), 10);
  EXPECT_EQ(cache.Find("huge", File(1)), nullptr);
  EXPECT_EQ(alive, 1);
}

TEST(SoundCacheTest, TheCacheFreesEverySoundItHoldsWhenItEnds) {
  int alive = 0;
  {
    platform::SoundCache<SoundHandle> cache(1000);
    cache.Keep("a", File(1), std::make_unique<Sound>(&alive), 10);
    cache.Keep("b", File(1), std::make_unique<Sound>(&alive), 10);
    EXPECT_EQ(alive, 2);
  }
  EXPECT_EQ(alive, 0);
}

TEST(SoundCacheTest, FileIdentityTellsRewrittenAndReplacedFilesApart) {
  testing_support::TestSandbox sandbox;
  const std::string path = sandbox.Path("chime.wav");
  EXPECT_FALSE(IdentifyFile(path).has_value());
  testing_support::TestSandbox::WriteBytes(path, "RIFF1234");
  const auto first = IdentifyFile(path);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->size, 8);
  EXPECT_EQ(IdentifyFile(path), first);

  // The same length written again with another time stamp.
  testing_support::TestSandbox::WriteBytes(path, "RIFF5678");
  const struct timespec times[2] = {{0, UTIME_OMIT}, {first->modified_ns / 1'000'000'000 + 7, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_NE(IdentifyFile(path), first);

  // Another file renamed over it, with the old one's time stamp.
  const auto rewritten = IdentifyFile(path);
  const std::string other = sandbox.Path("other.wav");
  testing_support::TestSandbox::WriteBytes(other, "RIFF5678");
  const struct timespec same[2] = {
      {0, UTIME_OMIT},
      {rewritten->modified_ns / 1'000'000'000, rewritten->modified_ns % 1'000'000'000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), same, 0), 0);
  ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
  EXPECT_NE(IdentifyFile(path), rewritten);

  // Only regular files are sounds: a folder or a FIFO is not read at all.
  EXPECT_FALSE(IdentifyFile(sandbox.Root()).has_value());
  const std::string fifo = sandbox.Path("fifo.wav");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(IdentifyFile(fifo).has_value());
}

}  // namespace
