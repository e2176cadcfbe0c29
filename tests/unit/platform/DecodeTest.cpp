#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/picture/JpegLayout.h"
#include "platform/picture/PictureDecoder.h"
#include "tests/unit/support/ScratchFolder.h"
#include "tests/unit/support/Surfaces.h"
#include "tests/unit/support/TestPictures.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using Bytes = std::vector<std::uint8_t>;
using raster::Surface;

using testing_support::ScratchFolder;

using testing_support::ChannelDistance;
using testing_support::kAnimatedGif;
using testing_support::kGif;
using testing_support::TestPictureBytes;
using testing_support::WithJpegSize;
constexpr int kW = testing_support::kTestPictureWidth;
constexpr int kH = testing_support::kTestPictureHeight;
const auto& ExpectedPixel = testing_support::TestPicturePixel;

Bytes EncodeJpeg(int flags) {
  struct Destroy {
    void operator()(void* h) const { tjDestroy(h); }
  };
  const std::unique_ptr<void, Destroy> tj(tjInitCompress());
  Bytes rgb = TestPictureBytes(false);
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  EXPECT_EQ(
      tjCompress2(tj.get(), rgb.data(), kW, 0, kH, TJPF_RGB, &jpeg, &size, TJSAMP_444, 100, flags),
      0);
  Bytes out(jpeg, jpeg + size);
  tjFree(jpeg);
  return out;
}

struct SurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};

// Saves the test picture through SDL (BMP) or SDL_image (PNG) into memory.
Bytes EncodeWithSdl(bool png) {
  Bytes rgb = TestPictureBytes(false);
  const std::unique_ptr<SDL_Surface, SurfaceFree> s(
      SDL_CreateRGBSurfaceWithFormatFrom(rgb.data(), kW, kH, 24, kW * 3, SDL_PIXELFORMAT_RGB24));
  EXPECT_NE(s, nullptr);
  Bytes buffer(64 * 1024);
  SDL_RWops* rw = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
  EXPECT_EQ(png ? IMG_SavePNG_RW(s.get(), rw, 0) : SDL_SaveBMP_RW(s.get(), rw, 0), 0);
  buffer.resize(static_cast<std::size_t>(SDL_RWtell(rw)));
  SDL_RWclose(rw);
  return buffer;
}

void ExpectTestPicture(const Surface& s, int tolerance) {
  ASSERT_EQ(s.Width(), kW);
  ASSERT_EQ(s.Height(), kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      EXPECT_EQ(s.Pixel(x, y) >> 24, 0u) << "the byte above blue stays zero";
      EXPECT_LE(ChannelDistance(s.Pixel(x, y), ExpectedPixel(x)), tolerance) << x << "," << y;
    }
  }
}

// Decodes into `s` as the show does into its picture surfaces: on success the surface takes the
// picture and keeps its background colour, on failure it stays as it was.
std::optional<std::string> DecodeKeepingBackColor(const std::string& path, Surface& s) {
  base::Result<Surface> decoded = platform::DecodePicture(path);
  if (!decoded) return decoded.error();
  const raster::Color back_color = s.BackColor();
  s = std::move(decoded).value();
  s.SetBackColor(back_color);
  return std::nullopt;
}

TEST(DecodePicture, DecodesJpegBaselineAndProgressiveBmpAndPngAtNaturalSize) {
  const ScratchFolder folder;
  struct Case {
    const char* name;
    Bytes bytes;
    int tolerance;
  };
  const Case cases[] = {{"a.jpg", EncodeJpeg(0), 3},
                        {"p.jpg", EncodeJpeg(TJFLAG_PROGRESSIVE), 3},
                        {"a.bmp", EncodeWithSdl(false), 0},
                        {"a.png", EncodeWithSdl(true), 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface s(3, 3, 0x00123456);
    EXPECT_EQ(DecodeKeepingBackColor(folder.Write(c.name, c.bytes), s), std::nullopt);
    ExpectTestPicture(s, c.tolerance);
    EXPECT_EQ(s.BackColor(), 0x00123456u) << "the surface keeps its background colour";
  }
}

TEST(DecodePicture, DecodesGifAndTakesTheFirstFrame) {
  const ScratchFolder folder;
  Surface s;
  ASSERT_EQ(DecodeKeepingBackColor(folder.Write("a.gif", kGif), s), std::nullopt);
  ASSERT_EQ(s.Width(), 4);
  ASSERT_EQ(s.Height(), 2);
  EXPECT_EQ(testing_support::PixelsOf(s), testing_support::kGifPixels);
  ASSERT_EQ(DecodeKeepingBackColor(folder.Write("b.gif", kAnimatedGif), s), std::nullopt);
  ASSERT_EQ(s.Width(), 2);
  EXPECT_EQ(s.Pixel(0, 0), 0x0000FFu);
  EXPECT_EQ(s.Pixel(1, 0), 0x0000FFu);
}

// 2 x 9, interlaced: row y is grey 28 * y.
const Bytes kInterlacedGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x09, 0x00, 0xf3, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x1c, 0x1c, 0x1c, 0x38, 0x38, 0x38, 0x54, 0x54, 0x54, 0x70, 0x70, 0x70, 0x8c, 0x8c, 0x8c, 0xa8,
    0xa8, 0xa8, 0xc4, 0xc4, 0xc4, 0xe0, 0xe0, 0xe0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x49, 0x6d, 0x61, 0x67, 0x65, 0x4d, 0x61, 0x67,
    0x69, 0x63, 0x6b, 0x0e, 0x67, 0x61, 0x6d, 0x6d, 0x61, 0x3d, 0x30, 0x2e, 0x34, 0x35, 0x34, 0x35,
    0x34, 0x35, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x09, 0x00, 0x40, 0x04, 0x0d, 0x10,
    0x00, 0x84, 0x08, 0x11, 0xc2, 0x98, 0x10, 0xc6, 0x28, 0xc5, 0x71, 0x44, 0x00, 0x3b};

TEST(DecodePicture, GifInterlacedRowsAndAFrameSmallerThanItsScreen) {
  const ScratchFolder folder;
  Surface s;
  ASSERT_EQ(DecodeKeepingBackColor(folder.Write("i.gif", kInterlacedGif), s), std::nullopt);
  ASSERT_EQ(s.Height(), 9);
  for (int y = 0; y < 9; ++y) {
    EXPECT_EQ(s.Pixel(1, y), 0x010101u * static_cast<std::uint32_t>(28 * y)) << y;
  }
  ASSERT_EQ(
      DecodeKeepingBackColor(folder.Write("f.gif", testing_support::GifFrameInsideItsScreen()), s),
      std::nullopt);
  EXPECT_EQ(testing_support::PixelsOf(s), testing_support::kGifFrameInsideItsScreenPixels);
}

TEST(DecodePicture, EverySeedOfTheFuzzCorpusDecodesOrFailsCleanly) {
  // The seeds include inputs that once broke a decoder.
  const std::filesystem::path seeds =
      std::filesystem::path(SCENESAVER_SOURCE_DIR) / "tests/fuzz/corpus/picture";
  int decoded = 0;
  int refused = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    const std::string path = entry.path().string();
    Surface s(2, 2, 0x42);
    s.Cls();
    const auto failure = DecodeKeepingBackColor(path, s);
    if (failure) {
      // Cleanly: a message naming the file, and the surface as it was.
      ++refused;
      EXPECT_NE(failure->find(path), std::string::npos) << *failure;
      EXPECT_EQ(s.Width(), 2) << path;
      EXPECT_EQ(s.Height(), 2) << path;
      EXPECT_EQ(testing_support::PixelsOf(s), std::vector<std::uint32_t>(4, 0x42)) << path;
    } else {
      ++decoded;
      EXPECT_GT(s.Width(), 0) << path;
      EXPECT_GT(s.Height(), 0) << path;
      EXPECT_EQ(s.Pixels().size(),
                static_cast<std::size_t>(s.Width()) * static_cast<std::size_t>(s.Height()))
          << path;
    }
  }
  EXPECT_GE(decoded, 6);
  EXPECT_GE(refused, 1) << "the seeds include damaged pictures";
}

// Expects a failure that names the file, with the surface left as it was.
void ExpectRefused(const std::string& path, const std::string& reason) {
  ASSERT_FALSE(reason.empty()) << "every refusal names its reason";
  Surface s(2, 2, 0x42);
  const auto failure = DecodeKeepingBackColor(path, s);
  ASSERT_NE(failure, std::nullopt) << path;
  EXPECT_NE(failure->find(path), std::string::npos) << *failure;
  EXPECT_NE(failure->find(reason), std::string::npos) << *failure;
  EXPECT_EQ(s.Width(), 2);
  EXPECT_EQ(s.Pixel(1, 1), 0x42u);
}

TEST(DecodePicture, MissingEmptyForeignAndDamagedFilesFailNamingTheFile) {
  const ScratchFolder folder;
  ExpectRefused(folder.Write("x.jpg", {}) + ".missing", "cannot open");
  ExpectRefused(folder.Write("empty.jpg", {}), "not a JPEG");
  ExpectRefused(folder.Write("text.jpg", {'h', 'e', 'l', 'l', 'o'}), "not a JPEG");
  const Bytes jpeg = EncodeJpeg(0);
  // Cut before the frame header there is no picture; cut inside the scan data the decoder
  // gives up.
  for (const auto& [keep, reason] :
       {std::pair{std::size_t{3}, "has no pixels"}, std::pair{std::size_t{40}, "has no pixels"},
        std::pair{jpeg.size() / 2, "cannot decode"}, std::pair{jpeg.size() - 2, "truncated"}}) {
    ExpectRefused(folder.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + keep)), reason);
  }
  const Bytes png = EncodeWithSdl(true);
  ExpectRefused(folder.Write("cut.png", Bytes(png.begin(), png.begin() + png.size() / 2)),
                "cannot decode");
  Bytes gif = kGif;
  gif.resize(40);
  ExpectRefused(folder.Write("cut.gif", gif), "header is damaged");
}

TEST(DecodePicture, RefusesOversizedPicturesBeforeAllocating) {
  const ScratchFolder folder;
  const Bytes jpeg = EncodeJpeg(0);
  ExpectRefused(folder.Write("wide.jpg", WithJpegSize(jpeg, 16385, 8)), "too large");
  ExpectRefused(folder.Write("many.jpg", WithJpegSize(jpeg, 16384, 4097)), "too large");
  Bytes png = EncodeWithSdl(true);
  png[16] = 0x7F;  // width 0x7F000010
  ExpectRefused(folder.Write("wide.png", png), "too large");
  Bytes bmp = EncodeWithSdl(false);
  bmp[24] = 0x01;  // height 0x00010008
  ExpectRefused(folder.Write("tall.bmp", bmp), "too large");
  Bytes gif = kGif;
  gif[53] = 0xFF;  // first frame 4 x 0xFF02
  ExpectRefused(folder.Write("tall.gif", gif), "too large");
}

TEST(DecodePicture, RefusesJpegWithTooManyScans) {
  // A progressive JPEG whose last scan is repeated until there are more than the limit.
  const Bytes jpeg = EncodeJpeg(TJFLAG_PROGRESSIVE);
  std::size_t last_scan = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last_scan = i;
  }
  ASSERT_GT(last_scan, 0u);
  const Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(last_scan), jpeg.end() - 2);
  Bytes many(jpeg.begin(), jpeg.end() - 2);
  const int scans = platform::ScanJpegLayout(jpeg, 1000).scans;
  ASSERT_GE(scans, 2);
  Bytes at_limit = many;
  for (int i = scans; i < platform::kMaxJpegScans; ++i)
    at_limit.insert(at_limit.end(), scan.begin(), scan.end());
  many = at_limit;
  many.insert(many.end(), scan.begin(), scan.end());
  for (Bytes* b : {&at_limit, &many}) b->insert(b->end(), {0xFF, 0xD9});
  EXPECT_EQ(platform::ScanJpegLayout(at_limit, 1000).scans, platform::kMaxJpegScans);
  EXPECT_TRUE(platform::ScanJpegLayout(at_limit, 1000).complete);
  const ScratchFolder folder;
  ExpectRefused(folder.Write("scans.jpg", many), "scans");
}

TEST(JpegLayout, SeesMarkersOnlyOutsideStuffedAndRestartBytes) {
  // SOI, one APP0 segment holding FF DA, a scan whose data holds stuffed FF 00, a restart
  // marker and fill bytes, then EOI.
  const Bytes stream = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0xFF, 0xDA, 0xFF, 0xDA, 0x00, 0x03,
                        0x00, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56, 0xFF, 0xFF, 0xD9};
  const platform::JpegLayout layout = platform::ScanJpegLayout(stream, 100);
  EXPECT_EQ(layout.scans, 1);
  EXPECT_TRUE(layout.complete);
  const Bytes cut(stream.begin(), stream.end() - 3);
  EXPECT_FALSE(platform::ScanJpegLayout(cut, 100).complete);
}

}  // namespace
