// Speed of the raster operations against baselines measured in the same run: whole-frame
// BitBlt against memcpy, StretchBlt against pixman's nearest-neighbour scaled composite,
// TransparentPaint against memcpy, and picture decoding against TurboJPEG's own decoder.
// Prints a ratio table with the goals at the end.
#include <benchmark/benchmark.h>
#include <pixman.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/picture/PictureDecoder.h"
#include "raster/Surface.h"
#include "presentation/TransparentBltFunc.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using raster::Surface;

struct FrameSize {
  int w, h;
  std::string Name() const { return std::to_string(w) + "x" + std::to_string(h); }
};

const FrameSize kSizes[] = {{1920, 1080}, {3840, 2160}};

// A picture with smooth gradients, edges and noise, so that neither copies nor the JPEG coder
// meet an unrealistically uniform image.
Surface PhotoLike(int w, int h, std::uint32_t seed) {
  Surface s(w, h);
  std::vector<double> sx(static_cast<std::size_t>(w)), cx(sx.size());
  for (int x = 0; x < w; ++x) {
    sx[static_cast<std::size_t>(x)] = 60 * std::sin(6.0 * x / w);
    cx[static_cast<std::size_t>(x)] = 60 * std::cos(2.0 * x / w);
  }
  std::uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < h; ++y) {
    const double fy = static_cast<double>(y) / h;
    const double ry = 128 + 60 * std::sin(3 * fy), by = 128 + 60 * std::cos(9 * fy);
    std::uint32_t* row = s.Row(y);
    for (int x = 0; x < w; ++x) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      const auto channel = [&](double v, int shift) {
        const int n = static_cast<int>((state >> shift) & 15) - 8;
        return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v) + n, 0, 255));
      };
      const std::size_t i = static_cast<std::size_t>(x);
      const std::uint32_t r = channel(ry + sx[i], 0);
      const std::uint32_t g = channel(((x / 97 + y / 61) % 2) ? 200 * fy : 60 + 120.0 * x / w, 8);
      const std::uint32_t b = channel(by + cx[i], 16);
      row[x] = r | (g << 8) | (b << 16);
    }
  }
  return s;
}

// Pixman images over the bitmap of a surface (0x00BBGGRR is pixman's x8b8g8r8).
struct PixmanUnref {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using PixmanImage = std::unique_ptr<pixman_image_t, PixmanUnref>;

PixmanImage Wrap(Surface& s) {
  return PixmanImage(
      pixman_image_create_bits(PIXMAN_x8b8g8r8, s.Width(), s.Height(), s.Row(0), s.Width() * 4));
}

// Nearest-neighbour scaled composite of the whole of src onto the whole of dst, mirrored
// horizontally on request.
void PixmanStretch(pixman_image_t* dst, pixman_image_t* src, int dw, int dh, int sw, int sh,
                   bool mirror) {
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  const double sx = static_cast<double>(sw) / dw, sy = static_cast<double>(sh) / dh;
  t.matrix[0][0] = pixman_double_to_fixed(mirror ? -sx : sx);
  t.matrix[0][2] = mirror ? pixman_int_to_fixed(sw) : 0;
  t.matrix[1][1] = pixman_double_to_fixed(sy);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, dw, dh);
}

struct TjDestroy {
  void operator()(void* handle) const { tjDestroy(handle); }
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A 1920 x 1080 photographic JPEG (quality 90, 4:2:0) in a temporary file.
class JpegFile {
 public:
  JpegFile() {
    Surface picture = PhotoLike(1920, 1080, 7);
    const std::unique_ptr<void, TjDestroy> tj(tjInitCompress());
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(tj.get(), reinterpret_cast<unsigned char*>(picture.Row(0)), 1920, 1920 * 4, 1080,
                TJPF_RGBX, &jpeg, &size, TJSAMP_420, 90, 0);
    path_ = (std::filesystem::temp_directory_path() /
             ("raster-bench-" + std::to_string(getpid()) + ".jpg"))
                .string();
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
    tjFree(jpeg);
  }
  ~JpegFile() { std::filesystem::remove(path_); }
  JpegFile(const JpegFile&) = delete;
  JpegFile& operator=(const JpegFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

using Body = std::function<void()>;

void Register(const std::string& name, Body body) {
  benchmark::RegisterBenchmark(name.c_str(),
                               [body](benchmark::State& state) {
                                 for (auto _ : state) {
                                   body();
                                   benchmark::ClobberMemory();
                                 }
                               })
      ->Unit(benchmark::kMillisecond)
      ->MinTime(0.1)
      ->Repetitions(3)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
      });
}

// Keeps the fastest repetition of every benchmark for the ratio table. Processor time, not wall
// time: the machine may be shared, and a preempted run should not count as slow.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min") {
        best_[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  double Best(const std::string& name) const {
    const auto it = best_.find(name);
    return it == best_.end() ? NAN : it->second;
  }

 private:
  std::map<std::string, double> best_;
};

struct Ratio {
  std::string what, ours, baseline;
  double goal;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Frames live for the whole run; every body only copies between them.
  std::vector<std::unique_ptr<Surface>> keep;
  const auto make = [&](Surface s) {
    keep.push_back(std::make_unique<Surface>(std::move(s)));
    return keep.back().get();
  };
  std::vector<PixmanImage> images;
  const auto wrap = [&](Surface* s) {
    images.push_back(Wrap(*s));
    return images.back().get();
  };
  std::vector<Ratio> ratios;

  for (const FrameSize& size : kSizes) {
    const int w = size.w, h = size.h;
    const std::string tag = "/" + size.Name();
    Surface* frame = make(PhotoLike(w, h, 1));
    Surface* dst = make(Surface(w, h));
    Register("memcpy" + tag,
             [=] { std::memcpy(dst->Row(0), frame->Row(0), static_cast<std::size_t>(w) * h * 4); });
    Register("BitBlt" + tag, [=] { raster::BitBlt(*dst, 0, 0, w, h, *frame, 0, 0); });
    ratios.push_back({"BitBlt " + size.Name(), "BitBlt" + tag, "memcpy" + tag, 1.3});

    struct Stretch {
      std::string name;
      int sw, sh;
      bool mirror;
    };
    const Stretch stretches[] = {{"StretchBlt90%", w * 9 / 10, h * 9 / 10, false},
                                 {"StretchBlt200%", w * 2, h * 2, false},
                                 {"StretchBltMirror", w, h, true}};
    pixman_image_t* pdst = wrap(dst);
    for (const Stretch& st : stretches) {
      Surface* src = st.sw == w ? frame : make(PhotoLike(st.sw, st.sh, 2));
      pixman_image_t* psrc = wrap(src);
      const int sw = st.sw, sh = st.sh;
      const bool mirror = st.mirror;
      Register(st.name + tag, [=] {
        raster::StretchBlt(*dst, mirror ? w : 0, 0, mirror ? -w : w, h, *src, 0, 0, sw, sh);
      });
      Register("pixman" + st.name + tag, [=] { PixmanStretch(pdst, psrc, w, h, sw, sh, mirror); });
      ratios.push_back({st.name + " " + size.Name(), st.name + tag, "pixman" + st.name + tag, 1.0});
    }

    // A sprite with a key-coloured background around a picture, over a whole frame.
    constexpr raster::Color kKey = 0x00FF00FF;
    Surface* sprite = make(PhotoLike(w, h, 3));
    raster::FillBox(*sprite, 0, 0, w - 1, h / 4, kKey);
    raster::FillBox(*sprite, 0, 0, w / 5, h - 1, kKey);
    Register("TransparentPaint" + tag,
             [=] { presentation::TransparentPaint(*dst, 0, 0, w, h, *sprite, 0, 0, kKey); });
    ratios.push_back(
        {"TransparentPaint " + size.Name(), "TransparentPaint" + tag, "memcpy" + tag, 3.0});
  }

  const JpegFile jpeg;
  const std::string path = jpeg.Path();
  Register("DecodePicture/1920x1080", [=] {
    if (!platform::DecodePicture(path)) std::abort();
  });
  Register("tjDecompress2/1920x1080", [=] {
    std::vector<std::uint8_t> bytes = ReadFile(path);
    const std::unique_ptr<void, TjDestroy> tj(tjInitDecompress());
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    tjDecompressHeader3(tj.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                        &colorspace);
    const std::unique_ptr<unsigned char, decltype(&std::free)> out(
        static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(width) * height * 4)),
        &std::free);
    if (tjDecompress2(tj.get(), bytes.data(), bytes.size(), out.get(), width, width * 4, height,
                      TJPF_BGRX, 0) != 0) {
      std::abort();
    }
    benchmark::DoNotOptimize(out.get());
  });
  ratios.push_back(
      {"Decode JPEG 1920x1080", "DecodePicture/1920x1080", "tjDecompress2/1920x1080", 1.1});

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n%-28s %10s %10s %7s %6s\n", "ratio (fastest of 3)", "ours ms", "base ms", "ratio",
              "goal");
  for (const Ratio& r : ratios) {
    const double ours = reporter.Best(r.ours), base = reporter.Best(r.baseline);
    if (std::isnan(ours) || std::isnan(base)) continue;  // filtered out on the command line
    const double ratio = ours / base;
    std::printf("%-28s %10.3f %10.3f %6.2fx %5.1fx %s\n", r.what.c_str(), ours, base, ratio, r.goal,
                ratio <= r.goal ? "ok" : "MISSED");
  }
  return 0;
}
