// Peak memory of the package reader: whatever a file claims, loading it takes at most the
// file's size plus 1 MiB. Every allocation of this program goes through the operator new below,
// which keeps the size of each block in front of it; while a load runs, the bytes alive are
// summed and their peak kept.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "package/PackageFormat.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

struct alignas(std::max_align_t) BlockHeader {
  std::size_t size;
  bool counted;
};

bool g_counting = false;
std::size_t g_live = 0;
std::size_t g_peak = 0;

void* Allocate(std::size_t n) {
  auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + n));
  if (header == nullptr) throw std::bad_alloc();
  header->size = n;
  header->counted = g_counting;
  if (g_counting) {
    g_live += n;
    g_peak = std::max(g_peak, g_live);
  }
  return header + 1;
}

void Release(void* p) noexcept {
  if (p == nullptr) return;
  BlockHeader* header = static_cast<BlockHeader*>(p) - 1;
  if (header->counted) g_live -= header->size;
  std::free(header);
}

// Peak bytes allocated (and not yet freed) while `load` ran, its result included.
template <typename Load>
std::size_t PeakDuring(Load&& load) {
  g_live = 0;
  g_peak = 0;
  g_counting = true;
  { const package::LoadResult result = load(); }
  g_counting = false;
  return g_peak;
}

constexpr std::size_t kAllowance = 1024 * 1024;

void PutLong(std::vector<std::uint8_t>& b, std::int32_t v) {
  for (int i = 0; i < 4; ++i)
    b.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
}
void PutInteger(std::vector<std::uint8_t>& b, std::int16_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
}
void PutText(std::vector<std::uint8_t>& b, const std::string& text) {
  PutInteger(b, static_cast<std::int16_t>(text.size()));
  b.insert(b.end(), text.begin(), text.end());
}

// A package of `count` scenes without data, each named by `name`, after `player` bytes.
std::vector<std::uint8_t> ManyScenes(std::int32_t count, const std::string& name,
                                     std::size_t player) {
  std::vector<std::uint8_t> b(player, 0x90);
  const std::size_t start = b.size();
  PutLong(b, 640);
  PutLong(b, 480);
  PutLong(b, 0);
  PutInteger(b, 0);
  PutLong(b, count);
  PutText(b, "");
  PutInteger(b, 0);  // no music
  PutInteger(b, 1);
  PutLong(b, count);
  PutLong(b, 0);
  for (std::int32_t i = 0; i < count; ++i) {
    PutText(b, name);
    PutText(b, name);
    for (int field = 0; field < 4; ++field) PutLong(b, 1000);
    PutInteger(b, 0);
    PutInteger(b, 0);
    PutInteger(b, 0);
    PutInteger(b, 0);
  }
  PutLong(b, static_cast<std::int32_t>(b.size() + 4 - start));
  return b;
}

// A file on disk for the whole test, so the real path (pread into the records) is measured.
class PackageFile {
 public:
  explicit PackageFile(const std::vector<std::uint8_t>& bytes) {
    std::string pattern = (std::filesystem::temp_directory_path() / "memory-test-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    path_ = pattern;
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    size_ = bytes.size();
  }
  ~PackageFile() { std::filesystem::remove(path_); }
  PackageFile(const PackageFile&) = delete;
  PackageFile& operator=(const PackageFile&) = delete;

  std::size_t PeakLoad() const {
    return PeakDuring([&] { return package::LoadPackageFromFile(path_); });
  }
  std::size_t size() const { return size_; }

 private:
  std::string path_;
  std::size_t size_ = 0;
};

TEST(PackageMemory, CountingSeesTheReadersAllocations) {
  // A package of 3 MiB music: the count must see at least those bytes.
  package::Package p;
  p.MusicFileName = "bgm.mid";
  p.MusicData = {true, 0, std::vector<std::uint8_t>(3 * 1024 * 1024, 7)};
  const PackageFile file(package::SerializeWithLength(p));
  const std::size_t peak = file.PeakLoad();
  EXPECT_GE(peak, 3u * 1024 * 1024);
  EXPECT_LE(peak, file.size() + kAllowance);
}

TEST(PackageMemory, ManyEmptyScenesStayWithinTheFileAndOneMebibyte) {
  // 28 bytes a scene in the file, far more in memory. Without a program part in front the
  // package is refused; each load still stays within its bound.
  for (const std::int32_t count : {1000, 30'000, 300'000}) {
    const PackageFile file(ManyScenes(count, "", 0));
    EXPECT_LE(file.PeakLoad(), file.size() + kAllowance) << count << " scenes";
  }
  // Names of 16 to 31 bytes no longer fit in the string itself; their memory must not grow
  // beyond their bytes in the file.
  for (const std::string& name :
       {std::string(16, 'n'), std::string(23, 'n'), std::string(31, 'n')}) {
    const PackageFile file(ManyScenes(20'000, name, 0));
    EXPECT_LE(file.PeakLoad(), file.size() + kAllowance) << name.size() << "-byte names";
  }
}

TEST(PackageMemory, AShowOfManyScenesBehindItsProgramStillLoads) {
  // A 2 MiB program in front leaves room for several thousand scenes.
  const std::vector<std::uint8_t> bytes = ManyScenes(5000, "scene.jpg", 2 * 1024 * 1024);
  const PackageFile file(bytes);
  EXPECT_LE(file.PeakLoad(), file.size() + kAllowance);
  const package::LoadResult r = package::LoadPackageFromBytes(bytes);
  EXPECT_FALSE(r.problem) << r.problem->message;
  EXPECT_EQ(r.record.Scenes.size(), 5000u);
}

TEST(PackageMemory, DamagedCountsNeverTakeMoreThanTheFile) {
  // A valid package with music and scenes, then random damage: counts and lengths of any value.
  package::Package p;
  p.MusicFileName = std::string(40, 'm');
  p.MusicData = {true, 0, std::vector<std::uint8_t>(100'000, 1)};
  p.ScenesPresent = true;
  for (int i = 0; i < 200; ++i) {
    package::SceneRecord s;
    s.PictureFileName = std::string(20, 'p') + std::to_string(i);
    s.SoundFileName = "s" + std::to_string(i);
    s.PictureData = {true, 0, std::vector<std::uint8_t>(static_cast<std::size_t>(i * 10), 2)};
    s.SoundData = {true, 0, std::vector<std::uint8_t>(30, 3)};
    p.Scenes.push_back(s);
  }
  p.SceneCount = 200;
  const std::vector<std::uint8_t> clean = package::SerializeWithLength(p);
  std::mt19937 random(20261207);
  std::size_t worst = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> damaged = clean;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      // Mostly into the headers before the music bytes and the scenes after them.
      const std::size_t at =
          random() % 2 ? random() % 64 : 100'000 + random() % (clean.size() - 100'000);
      damaged[at] = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
    }
    const std::size_t peak = PeakDuring([&] { return package::LoadPackageFromBytes(damaged); });
    worst = std::max(worst, peak);
    ASSERT_LE(peak, damaged.size() + kAllowance) << "round " << round;
  }
  EXPECT_GT(worst, 100'000u);  // the music was read in some rounds
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
