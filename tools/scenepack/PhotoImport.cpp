#include "tools/scenepack/PhotoImport.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <vips/vips8>

#include "platform/picture/PictureDecoder.h"

namespace scenesaver::scenepack {
namespace {

using vips::VImage;

// libvips, started once for the process and shut down at its end.
class VipsLibrary {
 public:
  VipsLibrary() {
    ok_ = VIPS_INIT("scenepack") == 0;
    if (ok_) vips_cache_set_max(0);  // each picture is read once: nothing to reuse
  }
  ~VipsLibrary() {
    if (ok_) vips_shutdown();
  }
  VipsLibrary(const VipsLibrary&) = delete;
  VipsLibrary& operator=(const VipsLibrary&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

bool StartVips() {
  static VipsLibrary library;
  return library.ok();
}

// The first line of libvips' error text, which otherwise repeats itself per layer.
std::string VipsReason(std::string_view text) {
  std::string line(text.substr(0, text.find('\n')));
  while (!line.empty() && (line.back() == ' ' || line.back() == '.')) line.pop_back();
  vips_error_clear();
  return line.empty() ? "unknown error" : line;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// True when an ICC profile's description names sRGB (ASCII in version 2 profiles, UTF-16 in
// version 4): such a picture needs no colour conversion.
bool ProfileIsSrgb(const std::uint8_t* icc, std::size_t size) {
  if (size < 132) return false;
  const std::uint32_t tags = BigEndian32(icc + 128);
  for (std::uint32_t i = 0; i < tags && 132 + 12 * (i + 1) <= size; ++i) {
    const std::uint8_t* entry = icc + 132 + 12 * i;
    if (std::memcmp(entry, "desc", 4) != 0) continue;
    const std::size_t offset = BigEndian32(entry + 4), length = BigEndian32(entry + 8);
    if (offset > size || length > size - offset) return false;
    const std::string_view text(reinterpret_cast<const char*>(icc + offset), length);
    return text.find("sRGB") != std::string_view::npos ||
           text.find(std::string_view("\0s\0R\0G\0B", 8)) != std::string_view::npos;
  }
  return false;
}

bool NeedsColourConversion(const VImage& image) {
  const VipsInterpretation kind = image.interpretation();
  if (kind == VIPS_INTERPRETATION_CMYK || kind == VIPS_INTERPRETATION_LAB ||
      kind == VIPS_INTERPRETATION_scRGB) {
    return true;
  }
  if (image.get_typeof(VIPS_META_ICC_NAME) == 0) return false;
  size_t length = 0;
  const void* icc = image.get_blob(VIPS_META_ICC_NAME, &length);
  return !ProfileIsSrgb(static_cast<const std::uint8_t*>(icc), length);
}

// A picture with an alpha channel in which some pixel is not fully opaque.
bool HasVisibleAlpha(const VImage& image) {
  if (!image.has_alpha()) return false;
  const VipsInterpretation kind = image.interpretation();
  const double opaque =
      kind == VIPS_INTERPRETATION_RGB16 || kind == VIPS_INTERPRETATION_GREY16 ? 65535 : 255;
  return image.extract_band(image.bands() - 1).min() < opaque;
}

bool LossyLoader(std::string_view loader) {
  for (std::string_view lossy : {"VipsForeignLoadJpeg", "VipsForeignLoadWebp",
                                 "VipsForeignLoadHeif", "VipsForeignLoadJxl"}) {
    if (loader.starts_with(lossy)) return true;
  }
  return false;
}

// The player decodes the file as it is (same formats, same limits as at show time).
bool PlayerReads(std::span<const std::uint8_t> file) {
  return platform::DecodePictureBytes(file, "picture").ok();
}

std::vector<double> Rgb(std::uint32_t colour) {
  return {static_cast<double>(colour & 0xFF), static_cast<double>(colour >> 8 & 0xFF),
          static_cast<double>(colour >> 16 & 0xFF)};
}

// Owns the VipsBlob that libvips' save functions return.
std::vector<std::uint8_t> TakeBlob(VipsBlob* blob) {
  auto unref = [](VipsBlob* b) { vips_area_unref(VIPS_AREA(b)); };
  std::unique_ptr<VipsBlob, decltype(unref)> owned(blob, unref);
  size_t length = 0;
  const auto* data = static_cast<const std::uint8_t*>(vips_blob_get(blob, &length));
  return {data, data + length};
}

void AddChange(std::string& changes, const char* change) {
  if (!changes.empty()) changes += ", ";
  changes += change;
}

// Rotated, colour-converted and resized in one pass: libvips' thumbnail shrinks JPEGs while
// decoding them and resamples with premultiplied alpha. A damaged file fails rather than
// showing grey where its data ends.
VImage Thumbnail(std::span<const std::uint8_t> file, PixelSize size) {
  VipsImage* out = nullptr;
  if (vips_thumbnail_buffer(const_cast<std::uint8_t*>(file.data()), file.size(), &out, size.width,
                            "height", size.height, "size", VIPS_SIZE_FORCE, "option_string",
                            "fail_on=error", nullptr) != 0) {
    throw vips::VError();
  }
  return VImage(out);  // takes the reference
}

ImportedPicture Convert(std::span<const std::uint8_t> file, const FitPlan& plan,
                        bool lossless_source, bool visible_alpha, const ImportSettings& settings) {
  VImage image = Thumbnail(file, plan.scaled);
  if (plan.Crops()) {
    image =
        image.extract_area(plan.crop_left, plan.crop_top, plan.stored.width, plan.stored.height);
  }
  if (image.interpretation() != VIPS_INTERPRETATION_sRGB) {
    image = image.colourspace(VIPS_INTERPRETATION_sRGB);
  }
  if (image.format() != VIPS_FORMAT_UCHAR) {
    image = image.cast(VIPS_FORMAT_UCHAR, VImage::option()->set("shift", true));
  }
  // Flattened onto the background, a fully transparent pixel becomes exactly the background
  // colour, which is the key colour of a transparent overlay.
  if (image.has_alpha()) {
    image = image.flatten(VImage::option()->set("background", Rgb(settings.background)))
                .cast(VIPS_FORMAT_UCHAR);
  }
  ImportedPicture out;
  out.converted = true;
  out.size = {image.width(), image.height()};
  // A key-colour sprite stays lossless so that its key pixels keep the exact colour.
  if (lossless_source || visible_alpha || settings.key_colour_sprite) {
    out.bytes =
        TakeBlob(image.pngsave_buffer(VImage::option()->set("compression", 6)->set("strip", true)));
    out.extension = ".png";
  } else {
    out.bytes = TakeBlob(image.jpegsave_buffer(
        VImage::option()->set("Q", settings.jpeg_quality)->set("strip", true)));
    out.extension = ".jpg";
  }
  return out;
}

}  // namespace

ImportedPicture ImportPicture(std::span<const std::uint8_t> file, const ImportSettings& settings) {
  ImportedPicture result;
  if (!StartVips()) {
    result.error = "cannot start libvips: " + VipsReason(vips_error_buffer());
    return result;
  }
  const char* loader = vips_foreign_find_load_buffer(file.data(), file.size());
  if (loader == nullptr) {
    vips_error_clear();
    result.error = "not a picture, or in a format this build of libvips cannot read";
    return result;
  }
  try {
    const VImage header = VImage::new_from_buffer(
        file.data(), file.size(), "", VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    const int orientation =
        header.get_typeof(VIPS_META_ORIENTATION) != 0 ? header.get_int(VIPS_META_ORIENTATION) : 1;
    const bool rotates = orientation >= 2 && orientation <= 8;
    const PixelSize natural{header.width(), header.height()};
    const PixelSize upright =
        orientation >= 5 && orientation <= 8 ? PixelSize{natural.height, natural.width} : natural;
    const FitPlan plan = PlanFit(upright, settings.area, settings.fit);
    const bool visible_alpha = HasVisibleAlpha(header);
    const bool colours = NeedsColourConversion(header);
    const bool resizes = plan.Resizes(upright) || plan.Crops();
    if (!rotates && !resizes && !visible_alpha && !colours && PlayerReads(file)) {
      result.size = upright;
      return result;
    }
    result = Convert(file, plan, !LossyLoader(loader), visible_alpha, settings);
    if (rotates) AddChange(result.changes, "rotated upright");
    if (plan.Resizes(upright)) AddChange(result.changes, "resized");
    if (plan.Crops()) AddChange(result.changes, "cropped");
    if (visible_alpha) AddChange(result.changes, "transparency flattened");
    if (colours) AddChange(result.changes, "colours converted to sRGB");
    if (result.changes.empty()) AddChange(result.changes, "converted");
  } catch (const vips::VError& e) {
    result = {};
    result.error = "cannot decode the picture: " + VipsReason(e.what());
  }
  return result;
}

}  // namespace scenesaver::scenepack
