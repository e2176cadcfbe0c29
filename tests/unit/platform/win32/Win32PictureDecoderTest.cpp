// Pictures decoded with the Windows Imaging Component: the four formats at natural size, GIF
// screens, the size limits, and failures that name the file.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/ComObjects.h"
#include "platform/win32/Win32PictureDecoder.h"
#include "platform/win32/WindowsApi.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using platform::win32::ComPtr;
using platform::win32::DecodePictureFile;
using raster::Surface;

class Folder {
 public:
  Folder()
      : path_(fs::temp_directory_path() / ("wic-test-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(path_);
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  fs::path Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path_ / name;
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> Decode(const fs::path& path, Surface& out) {
  return DecodePictureFile(path.wstring(), path.string(), out);
}

// The test picture: 16 x 8, left half (200, 40, 10), right half (20, 90, 220).
constexpr int kW = 16, kH = 8;
std::uint32_t ExpectedPixel(int x) { return x < kW / 2 ? 0x000A28C8u : 0x00DC5A14u; }

// Encodes the test picture with the imaging component's own encoder for `container`.
Bytes EncodeTestPicture(const Folder& folder, const GUID& container, const std::string& name) {
  const platform::win32::ComApartment com;
  ComPtr<IWICImagingFactory> factory;
  EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.Put())));
  if (!factory) return {};
  const std::wstring path = (folder / name).wstring();
  {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    std::vector<BYTE> bgr;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const std::uint32_t p = ExpectedPixel(x);
        bgr.insert(bgr.end(),
                   {static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p)});
      }
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    const bool encoded =
        SUCCEEDED(factory->CreateStream(stream.Put())) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(container, nullptr, encoder.Put())) &&
        SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(frame.Put(), options.Put())) &&
        SUCCEEDED(frame->Initialize(options.Get())) && SUCCEEDED(frame->SetSize(kW, kH)) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat24bppBGR &&
        SUCCEEDED(frame->WritePixels(kH, kW * 3, static_cast<UINT>(bgr.size()), bgr.data())) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    EXPECT_TRUE(encoded) << name;
  }
  return Read(folder / name);
}

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

// 4 x 2 GIF: red, lime, blue, white / black, yellow, magenta, cyan.
const Bytes kGif = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x02, 0x00, 0xf2, 0x07, 0x00,
                    0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0xff, 0x00, 0xff, 0xff, 0x00, 0x00,
                    0x00, 0xff, 0xff, 0x00, 0xff, 0x00, 0xff, 0xff, 0xff, 0xff, 0xff, 0x21, 0xf9,
                    0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00,
                    0x02, 0x00, 0x00, 0x03, 0x06, 0x18, 0x42, 0x07, 0x53, 0x26, 0x01, 0x00, 0x3b};

// Two frames of 2 x 1: red, then blue.
const Bytes kAnimatedGif = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x01, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45,
    0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00,
    0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x04, 0x0a, 0x00, 0x21, 0xf9, 0x04,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01, 0x00, 0x80, 0x00,
    0x00, 0xff, 0x00, 0x00, 0x00, 0x02, 0x02, 0x04, 0x0a, 0x00, 0x3b};

std::vector<std::uint32_t> PixelsOf(const Surface& s) {
  return {s.Pixels().begin(), s.Pixels().end()};
}

TEST(Win32PictureDecoder, DecodesJpegBmpAndPngAtNaturalSizeInTheSurfaceColourOrder) {
  const Folder folder;
  struct Case {
    const char* name;
    GUID container;
    int tolerance;
  };
  const Case cases[] = {{"a.jpg", GUID_ContainerFormatJpeg, 12},
                        {"a.bmp", GUID_ContainerFormatBmp, 0},
                        {"a.png", GUID_ContainerFormatPng, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EncodeTestPicture(folder, c.container, c.name);
    Surface s(3, 3, 0x00123456);
    ASSERT_EQ(Decode(folder / c.name, s), std::nullopt);
    ASSERT_EQ(s.Width(), kW);
    ASSERT_EQ(s.Height(), kH);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        EXPECT_EQ(s.Pixel(x, y) >> 24, 0u) << "the byte above blue stays zero";
        // JPEG blurs the colours of its subsampled chroma across the edge between the halves.
        const bool near_edge = std::abs(2 * x + 1 - kW) < 8;
        if (c.container == GUID_ContainerFormatJpeg && near_edge) continue;
        EXPECT_LE(ChannelDistance(s.Pixel(x, y), ExpectedPixel(x)), c.tolerance) << x << "," << y;
      }
    }
    EXPECT_EQ(s.BackColor(), 0x00123456u) << "the surface keeps its background colour";
  }
}

TEST(Win32PictureDecoder, GifTakesItsFirstFrameAtItsPlaceOnTheLogicalScreen) {
  const Folder folder;
  Surface s;
  ASSERT_EQ(Decode(folder.Write("a.gif", kGif), s), std::nullopt);
  EXPECT_EQ(PixelsOf(s), (std::vector<std::uint32_t>{0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF,
                                                     0x000000, 0x00FFFF, 0xFF00FF, 0xFFFF00}));
  ASSERT_EQ(Decode(folder.Write("b.gif", kAnimatedGif), s), std::nullopt);
  EXPECT_EQ(PixelsOf(s), (std::vector<std::uint32_t>{0x0000FF, 0x0000FF}));
  // The 4 x 2 frame at (1, 1) on a 6 x 3 screen whose background is entry 0, black.
  Bytes gif = kGif;
  gif[6] = 6;
  gif[8] = 3;
  gif[11] = 0;
  gif[46] = 1;
  gif[48] = 1;
  ASSERT_EQ(Decode(folder.Write("f.gif", gif), s), std::nullopt);
  EXPECT_EQ(PixelsOf(s),
            (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0,                              //
                                        0, 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0,  //
                                        0, 0, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0}));
}

// Expects a failure that names the file, with the surface left as it was.
void ExpectRefused(const fs::path& path, const std::string& reason) {
  Surface s(2, 2, 0x42);
  const auto failure = Decode(path, s);
  ASSERT_NE(failure, std::nullopt) << path;
  EXPECT_NE(failure->find(path.string()), std::string::npos) << *failure;
  EXPECT_NE(failure->find(reason), std::string::npos) << *failure;
  EXPECT_EQ(s.Width(), 2);
  EXPECT_EQ(s.Pixel(1, 1), 0x42u);
}

TEST(Win32PictureDecoder, MissingForeignAndDamagedFilesFailNamingTheFile) {
  const Folder folder;
  ExpectRefused(folder / "missing.jpg", "cannot open");
  ExpectRefused(folder.Write("empty.jpg", {}), "");
  ExpectRefused(folder.Write("text.jpg", {'h', 'e', 'l', 'l', 'o'}), "not a JPEG");
  EncodeTestPicture(folder, GUID_ContainerFormatTiff, "a.tif");
  ExpectRefused(folder / "a.tif", "not a JPEG, BMP, GIF or PNG");
  const Bytes jpeg = EncodeTestPicture(folder, GUID_ContainerFormatJpeg, "a.jpg");
  ExpectRefused(folder.Write("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40)), "");
  Bytes gif = kGif;
  gif.resize(40);
  ExpectRefused(folder.Write("cut.gif", gif), "");
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Rewrites the PNG's width (with a correct checksum, so only the size is wrong).
Bytes WithPngWidth(Bytes png, std::uint32_t width) {
  for (int i = 0; i < 4; ++i) png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
  const std::uint32_t crc = Crc32(png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return png;
}

// Rewrites the width and height in the frame header of a JPEG.
Bytes WithJpegSize(Bytes jpeg, int width, int height) {
  for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no frame header";
  return jpeg;
}

TEST(Win32PictureDecoder, RefusesOversizedPicturesBeforeAllocating) {
  const Folder folder;
  const Bytes jpeg = EncodeTestPicture(folder, GUID_ContainerFormatJpeg, "a.jpg");
  ExpectRefused(folder.Write("wide.jpg", WithJpegSize(jpeg, 16385, 8)), "too large");
  ExpectRefused(folder.Write("many.jpg", WithJpegSize(jpeg, 16384, 4097)), "too large");
  const Bytes png = EncodeTestPicture(folder, GUID_ContainerFormatPng, "a.png");
  // Wine's PNG decoder reads the whole picture when it opens the file, and so fails on the
  // missing pixels before the size is looked at; Windows reads the header first.
  Surface s;
  ASSERT_EQ(Decode(folder.Write("same.png", WithPngWidth(png, kW)), s), std::nullopt);
  ExpectRefused(folder.Write("wide.png", WithPngWidth(png, 16385)), "");
  Bytes bmp = EncodeTestPicture(folder, GUID_ContainerFormatBmp, "a.bmp");
  bmp[24] = 0x01;  // height 0x00010008
  ExpectRefused(folder.Write("tall.bmp", bmp), "too large");
  Bytes gif = kGif;
  gif[53] = 0xFF;  // first frame 4 x 0xFF02, of which the file holds 2 rows
  ExpectRefused(folder.Write("tall.gif", gif), "");  // Wine's GIF decoder too
  gif = kGif;
  gif[9] = 0x50;  // logical screen 4 x 0x5002 pixels, frame 4 x 2
  gif[6] = 0x00;
  gif[7] = 0x40;  // and 0x4000 wide: 16384 x 20482
  ExpectRefused(folder.Write("screen.gif", gif), "too large");
}

TEST(Win32PictureDecoder, EverySeedOfTheFuzzCorpusDecodesOrFailsCleanly) {
  const fs::path seeds = fs::path(SCENESAVER_SOURCE_DIR) / "tests/fuzz/corpus/picture";
  int decoded = 0;
  for (const auto& entry : fs::directory_iterator(seeds)) {
    Surface s;
    if (!Decode(entry.path(), s)) ++decoded;
  }
  EXPECT_GE(decoded, 6);
}

}  // namespace
