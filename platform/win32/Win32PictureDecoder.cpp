#include "platform/win32/Win32PictureDecoder.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/picture/PictureDecoder.h"
#include "platform/win32/ComObjects.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

namespace {

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string ErrorCode(HRESULT result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(result));
  return text;
}

bool IsAcceptedFormat(const GUID& format) {
  return format == GUID_ContainerFormatJpeg || format == GUID_ContainerFormatBmp ||
         format == GUID_ContainerFormatGif || format == GUID_ContainerFormatPng;
}

// Where the first frame lies on the picture: the whole picture, except for a GIF whose logical
// screen differs from its first frame.
struct Layout {
  std::int64_t width = 0;  // the picture
  std::int64_t height = 0;
  std::int64_t left = 0;  // the frame on it
  std::int64_t top = 0;
  std::int64_t frame_width = 0;
  std::int64_t frame_height = 0;
  std::uint32_t background = 0;  // 0x00RRGGBB, for picture pixels outside the frame
};

std::optional<std::uint32_t> ReadNumber(IWICMetadataQueryReader* reader, const wchar_t* query) {
  if (reader == nullptr) return std::nullopt;
  PropVariant value;
  if (FAILED(reader->GetMetadataByName(query, value.Put()))) return std::nullopt;
  switch (value.Get().vt) {
    case VT_UI1:
      return value.Get().bVal;
    case VT_UI2:
      return value.Get().uiVal;
    case VT_UI4:
      return value.Get().ulVal;
    default:
      return std::nullopt;
  }
}

// The GIF's background colour from its global colour table; black when there is none.
std::uint32_t GifBackground(IWICImagingFactory* factory, IWICBitmapDecoder* decoder,
                            IWICMetadataQueryReader* screen) {
  const std::optional<std::uint32_t> has_table =
      ReadNumber(screen, L"/logscrdesc/GlobalColorTableFlag");
  const std::optional<std::uint32_t> index =
      ReadNumber(screen, L"/logscrdesc/BackgroundColorIndex");
  if (!index || has_table.value_or(1) == 0) return 0;
  ComPtr<IWICPalette> palette;
  if (FAILED(factory->CreatePalette(palette.Put())) ||
      FAILED(decoder->CopyPalette(palette.Get()))) {
    return 0;
  }
  WICColor colors[256] = {};
  UINT count = 0;
  if (FAILED(palette->GetColors(256, colors, &count)) || *index >= count) return 0;
  return colors[*index] & 0x00FFFFFFu;
}

Layout LayOut(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, IWICBitmapFrameDecode* frame,
              const GUID& format, UINT frame_width, UINT frame_height) {
  Layout layout;
  layout.width = layout.frame_width = frame_width;
  layout.height = layout.frame_height = frame_height;
  if (format != GUID_ContainerFormatGif) return layout;
  ComPtr<IWICMetadataQueryReader> screen;
  if (FAILED(decoder->GetMetadataQueryReader(screen.Put()))) screen.Reset();
  ComPtr<IWICMetadataQueryReader> descriptor;
  if (FAILED(frame->GetMetadataQueryReader(descriptor.Put()))) descriptor.Reset();
  layout.width = ReadNumber(screen.Get(), L"/logscrdesc/Width").value_or(frame_width);
  layout.height = ReadNumber(screen.Get(), L"/logscrdesc/Height").value_or(frame_height);
  layout.left = ReadNumber(descriptor.Get(), L"/imgdesc/Left").value_or(0);
  layout.top = ReadNumber(descriptor.Get(), L"/imgdesc/Top").value_or(0);
  layout.background = GifBackground(factory, decoder, screen.Get());
  return layout;
}

std::optional<std::string> CheckSize(std::int64_t width, std::int64_t height,
                                     const std::string& name) {
  if (width <= 0 || height <= 0) return "picture " + Quoted(name) + " has no pixels";
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels) {
    return "picture " + Quoted(name) + " is too large (" + std::to_string(width) + " x " +
           std::to_string(height) + " pixels)";
  }
  return std::nullopt;
}

// 0x00RRGGBB (the bytes B, G, R, X that WIC writes) to 0x00BBGGRR.
void SwapRedAndBlue(raster::Surface& picture) {
  for (std::uint32_t& pixel : picture.Pixels()) {
    pixel = ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
  }
}

std::optional<std::string> Decode(const std::wstring& path, const std::string& name, raster::Surface& out) {
  ComPtr<IWICImagingFactory> factory;
  HRESULT result = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(factory.Put()));
  if (FAILED(result)) {
    return "cannot decode " + Quoted(name) + ": no imaging component (" + ErrorCode(result) + ")";
  }
  ComPtr<IWICBitmapDecoder> decoder;
  result = factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                              WICDecodeMetadataCacheOnDemand, decoder.Put());
  if (result == WINCODEC_ERR_COMPONENTNOTFOUND) {
    return Quoted(name) + " is not a JPEG, BMP, GIF or PNG picture";
  }
  if (HRESULT_FACILITY(result) == FACILITY_WIN32) {
    return "cannot open picture file " + Quoted(name) + " (" + ErrorCode(result) + ")";
  }
  if (FAILED(result)) return "cannot decode " + Quoted(name) + " (" + ErrorCode(result) + ")";
  GUID format{};
  if (FAILED(decoder->GetContainerFormat(&format)) || !IsAcceptedFormat(format)) {
    return Quoted(name) + " is not a JPEG, BMP, GIF or PNG picture";
  }
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT frame_width = 0;
  UINT frame_height = 0;
  if (FAILED(result = decoder->GetFrame(0, frame.Put())) ||
      FAILED(result = frame->GetSize(&frame_width, &frame_height))) {
    return "cannot decode " + Quoted(name) + ": the header is damaged (" + ErrorCode(result) + ")";
  }
  if (auto failure = CheckSize(frame_width, frame_height, name)) return failure;
  const Layout layout =
      LayOut(factory.Get(), decoder.Get(), frame.Get(), format, frame_width, frame_height);
  if (auto failure = CheckSize(layout.width, layout.height, name)) return failure;

  ComPtr<IWICFormatConverter> converter;
  if (FAILED(result = factory->CreateFormatConverter(converter.Put())) ||
      FAILED(result = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                            WICBitmapDitherTypeNone, nullptr, 0.0,
                                            WICBitmapPaletteTypeCustom))) {
    return "cannot decode " + Quoted(name) + " (" + ErrorCode(result) + ")";
  }

  raster::Surface picture;
  picture.ResizeUninitialized(static_cast<int>(layout.width), static_cast<int>(layout.height));
  // The part of the frame that lies on the picture; the rest of the picture is background.
  const std::int64_t x0 = std::max<std::int64_t>(0, layout.left);
  const std::int64_t y0 = std::max<std::int64_t>(0, layout.top);
  const std::int64_t x1 = std::min(layout.width, layout.left + layout.frame_width);
  const std::int64_t y1 = std::min(layout.height, layout.top + layout.frame_height);
  if (x0 != 0 || y0 != 0 || x1 != layout.width || y1 != layout.height) {
    std::fill(picture.Pixels().begin(), picture.Pixels().end(), layout.background);
  }
  if (x0 < x1 && y0 < y1) {
    const WICRect source{static_cast<INT>(x0 - layout.left), static_cast<INT>(y0 - layout.top),
                         static_cast<INT>(x1 - x0), static_cast<INT>(y1 - y0)};
    const auto stride = static_cast<UINT>(layout.width * 4);
    std::uint32_t* const first = picture.Row(static_cast<int>(y0)) + x0;
    const auto available = static_cast<UINT>(
        (picture.Pixels().data() + picture.Pixels().size() - first) * sizeof(std::uint32_t));
    result = converter->CopyPixels(&source, stride, available, reinterpret_cast<BYTE*>(first));
    if (FAILED(result)) {
      return "cannot decode " + Quoted(name) + ": the picture data is damaged or truncated (" +
             ErrorCode(result) + ")";
    }
  }
  SwapRedAndBlue(picture);
  picture.SetBackColor(out.BackColor());
  out = std::move(picture);
  return std::nullopt;
}

}  // namespace

std::optional<std::string> DecodePictureFile(const std::wstring& path, const std::string& name,
                                             raster::Surface& out) {
  const ComApartment com;
  if (!com.Usable()) return "cannot decode " + Quoted(name) + ": COM is not available";
  // Every COM object of the decoding is released inside, before the apartment ends.
  return Decode(path, name, out);
}

}  // namespace scenesaver::platform::win32
