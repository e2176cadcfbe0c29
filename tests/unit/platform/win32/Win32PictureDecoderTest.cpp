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
#include "tests/unit/support/ScratchFolder.h"
#include "tests/unit/support/Surfaces.h"
#include "tests/unit/support/TestPictures.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using platform::win32::ComPtr;
using platform::win32::DecodePictureFile;
using raster::Surface;

using Folder = testing_support::ScratchFolder;

Bytes Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<std::string> Decode(const fs::path& path, Surface& out) {
  return DecodePictureFile(path.wstring(), path.string(), out);
}

using testing_support::ChannelDistance;
using testing_support::kAnimatedGif;
using testing_support::kGif;
using testing_support::WithJpegSize;
constexpr int kW = testing_support::kTestPictureWidth;
constexpr int kH = testing_support::kTestPictureHeight;
const auto& ExpectedPixel = testing_support::TestPicturePixel;

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
    std::vector<BYTE> bgr = testing_support::TestPictureBytes(true);
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

using testing_support::PixelsOf;

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
  EXPECT_EQ(PixelsOf(s), testing_support::kGifPixels);
  ASSERT_EQ(Decode(folder.Write("b.gif", kAnimatedGif), s), std::nullopt);
  EXPECT_EQ(PixelsOf(s), (std::vector<std::uint32_t>{0x0000FF, 0x0000FF}));
  ASSERT_EQ(Decode(folder.Write("f.gif", testing_support::GifFrameInsideItsScreen()), s),
            std::nullopt);
  EXPECT_EQ(PixelsOf(s), testing_support::kGifFrameInsideItsScreenPixels);
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
