#include "platform/picture/PictureDecoder.h"

#include <SDL.h>
#include <SDL_image.h>
#include <turbojpeg.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/picture/GifDecoder.h"
#include "platform/picture/JpegLayout.h"
#include "platform/posix/RegularFile.h"

namespace scenesaver::platform {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::uint32_t ReadBe16(Bytes b, std::size_t at) { return (b[at] << 8) | b[at + 1]; }
std::uint32_t ReadLe16(Bytes b, std::size_t at) { return b[at] | (b[at + 1] << 8); }
std::uint32_t ReadBe32(Bytes b, std::size_t at) {
  return (ReadBe16(b, at) << 16) | ReadBe16(b, at + 2);
}
std::uint32_t ReadLe32(Bytes b, std::size_t at) {
  return ReadLe16(b, at) | (ReadLe16(b, at + 2) << 16);
}

bool StartsWith(Bytes b, std::string_view magic) {
  return b.size() >= magic.size() && std::memcmp(b.data(), magic.data(), magic.size()) == 0;
}

enum class Format { kJpeg, kPng, kGif, kBmp, kUnknown };

Format Sniff(Bytes b) {
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return Format::kJpeg;
  if (StartsWith(b, "\x89PNG\r\n\x1a\n")) return Format::kPng;
  if (StartsWith(b, "GIF87a") || StartsWith(b, "GIF89a")) return Format::kGif;
  if (StartsWith(b, "BM")) return Format::kBmp;
  return Format::kUnknown;
}

struct Dimensions {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// Width and height from the file's header, read before anything is allocated.
std::optional<Dimensions> PngDimensions(Bytes b) {
  if (b.size() < 24 || std::memcmp(b.data() + 12, "IHDR", 4) != 0) return std::nullopt;
  return Dimensions{ReadBe32(b, 16), ReadBe32(b, 20)};
}

std::optional<Dimensions> BmpDimensions(Bytes b) {
  if (b.size() < 26) return std::nullopt;
  const std::uint32_t header_size = ReadLe32(b, 14);
  if (header_size == 12) return Dimensions{ReadLe16(b, 18), ReadLe16(b, 20)};
  const auto width = static_cast<std::int32_t>(ReadLe32(b, 18));
  const auto height = static_cast<std::int32_t>(ReadLe32(b, 22));
  // A negative height marks top-down rows.
  return Dimensions{width, height < 0 ? -static_cast<std::int64_t>(height) : height};
}

std::optional<std::string> CheckDimensions(const Dimensions& d, const std::string& name) {
  if (d.width <= 0 || d.height <= 0) {
    return "picture " + Quoted(name) + " has no pixels";
  }
  if (d.width > kMaxPictureSide || d.height > kMaxPictureSide ||
      d.width * d.height > kMaxPicturePixels) {
    return "picture " + Quoted(name) + " is too large (" + std::to_string(d.width) + " x " +
           std::to_string(d.height) + " pixels)";
  }
  return std::nullopt;
}

// The decoders set the byte after blue (0xFF); colours are 0x00BBGGRR.
void ClearHighBytes(raster::Surface& s) {
  for (std::uint32_t& p : s.Pixels()) p &= 0x00FFFFFFu;
}

struct TjDestroyer {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDestroyer>;

std::optional<std::string> DecodeJpeg(Bytes b, const std::string& name, raster::Surface& out) {
  const TjHandle tj(tjInitDecompress());
  if (!tj) return "cannot decode " + Quoted(name) + ": " + tjGetErrorStr2(nullptr);
  auto* data = const_cast<unsigned char*>(b.data());  // TurboJPEG 2 takes non-const input
  const auto size = static_cast<unsigned long>(b.size());
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(tj.get(), data, size, &width, &height, &subsampling, &colorspace) != 0) {
    return "cannot decode " + Quoted(name) + ": " + tjGetErrorStr2(tj.get());
  }
  if (auto failure = CheckDimensions({width, height}, name)) return failure;
  const JpegLayout layout = ScanJpegLayout(b, kMaxJpegScans);
  if (layout.scans > kMaxJpegScans) {
    return "cannot decode " + Quoted(name) + ": more than " + std::to_string(kMaxJpegScans) +
           " scans";
  }
  if (!layout.complete) return "cannot decode " + Quoted(name) + ": the file is truncated";
  raster::Surface picture;
  picture.ResizeUninitialized(width, height);
  if (tjDecompress2(tj.get(), data, size, reinterpret_cast<unsigned char*>(picture.Row(0)), width,
                    width * 4, height, TJPF_RGBX, TJFLAG_LIMITSCANS) != 0 &&
      tjGetErrorCode(tj.get()) != TJERR_WARNING) {
    // Warnings (for instance stray bytes between markers) still give a whole picture.
    return "cannot decode " + Quoted(name) + ": " + tjGetErrorStr2(tj.get());
  }
  ClearHighBytes(picture);
  picture.SetBackColor(out.BackColor());
  out = std::move(picture);
  return std::nullopt;
}

struct SdlSurfaceFree {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceFree>;

// GIF through our own decoder: the first frame on its logical screen.
std::optional<std::string> DecodeGif(Bytes b, const std::string& name, raster::Surface& out) {
  const std::optional<GifFrame> frame = ReadGifFirstFrame(b);
  if (!frame) return "cannot decode " + Quoted(name) + ": the header is damaged";
  if (auto failure = CheckDimensions({frame->screen_width, frame->screen_height}, name)) {
    return failure;
  }
  if (auto failure = CheckDimensions({frame->width, frame->height}, name)) return failure;
  raster::Surface picture;
  if (!DecodeGifFrame(b, *frame, picture)) {
    return "cannot decode " + Quoted(name) + ": the picture data is damaged or truncated";
  }
  picture.SetBackColor(out.BackColor());
  out = std::move(picture);
  return std::nullopt;
}

// BMP and PNG through SDL_image, once the header has shown a sane size.
std::optional<std::string> DecodeWithSdlImage(Bytes b, const char* type, const std::string& name,
                                              raster::Surface& out) {
  SDL_RWops* rw = SDL_RWFromConstMem(b.data(), static_cast<int>(b.size()));
  if (rw == nullptr) return "cannot decode " + Quoted(name) + ": " + SDL_GetError();
  const SdlSurface loaded(IMG_LoadTyped_RW(rw, /*freesrc=*/1, type));
  if (!loaded) return "cannot decode " + Quoted(name) + ": " + IMG_GetError();
  if (auto failure = CheckDimensions({loaded->w, loaded->h}, name)) return failure;
  const SdlSurface rgba(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ABGR8888, 0));
  if (!rgba) return "cannot decode " + Quoted(name) + ": " + SDL_GetError();
  raster::Surface picture;
  picture.ResizeUninitialized(rgba->w, rgba->h);
  const auto* base = static_cast<const std::uint8_t*>(rgba->pixels);
  for (int y = 0; y < rgba->h; ++y) {
    std::memcpy(picture.Row(y), base + static_cast<std::size_t>(y) * rgba->pitch,
                static_cast<std::size_t>(rgba->w) * 4);
  }
  ClearHighBytes(picture);
  picture.SetBackColor(out.BackColor());
  out = std::move(picture);
  return std::nullopt;
}

std::optional<std::string> DecodeInto(Bytes bytes, const std::string& name, raster::Surface& out) {
  std::optional<Dimensions> dims;
  const char* type = nullptr;
  switch (Sniff(bytes)) {
    case Format::kJpeg:
      return DecodeJpeg(bytes, name, out);
    case Format::kPng:
      dims = PngDimensions(bytes);
      type = "PNG";
      break;
    case Format::kGif:
      return DecodeGif(bytes, name, out);
    case Format::kBmp:
      dims = BmpDimensions(bytes);
      type = "BMP";
      break;
    case Format::kUnknown:
      return Quoted(name) + " is not a JPEG, BMP, GIF or PNG picture";
  }
  if (!dims) return "cannot decode " + Quoted(name) + ": the header is damaged";
  if (auto failure = CheckDimensions(*dims, name)) return failure;
  return DecodeWithSdlImage(bytes, type, name, out);
}

}  // namespace

base::Result<raster::Surface> DecodePictureBytes(Bytes bytes, const std::string& name) {
  raster::Surface picture;
  if (auto failure = DecodeInto(bytes, name, picture)) return base::Error{std::move(*failure)};
  return picture;
}

base::Result<raster::Surface> DecodePicture(const std::string& path) {
  std::string why;
  const auto bytes = ReadRegularFile(path, static_cast<std::size_t>(kMaxPictureFileBytes), &why);
  if (!bytes) return base::Error{"cannot open picture file " + Quoted(path) + ": " + why};
  return DecodePictureBytes(*bytes, path);
}

}  // namespace scenesaver::platform
