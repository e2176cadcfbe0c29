// The cost of putting the show's picture on an X screen: the player's own present (full frame
// and a quarter of it, at 1920 x 1080 and 3840 x 2160, 1:1) against a bare XShmPutImage plus
// XSync of the same rectangle from a segment already filled, measured in the same run (mean
// wall time of 60 presents each). Prints the ratios at the end (goal: at most 1.5). A third
// column is the least a present of new pixels can cost: the bare put after writing the
// rectangle into the segment from a picture in the show's own pixel layout (0x00BBGGRR, which
// the server's 0x00RRGGBB needs converted). Needs an X display large enough:
//   xvfb-run -a -s "-screen 0 3840x2160x24" build/bench/bench_present
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <benchmark/benchmark.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/PresentPixels.h"
#include "platform/sdl/SdlShowHost.h"
#include "raster/Surface.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

struct Shape {
  int width;
  int height;
  bool quarter;
};

std::string Name(const Shape& s) {
  return std::to_string(s.width) + "x" + std::to_string(s.height) +
         (s.quarter ? " quarter" : " full");
}

platform::Rect Area(const Shape& s) {
  return s.quarter ? platform::Rect{s.width / 4, s.height / 4, s.width / 2, s.height / 2}
                   : platform::Rect{0, 0, s.width, s.height};
}

std::map<std::string, double>& Medians(const char* kind) {
  static std::map<std::string, std::map<std::string, double>> all;
  return all[kind];
}

// The player's present: the show host full screen at 1:1, the picture changing every time.
void ProjectPresent(benchmark::State& state, Shape shape) {
  platform::SdlShowOptions options;
  options.scale = platform::ScaleMode::kOneToOne;
  base::Result<std::unique_ptr<platform::ShowHost>> made = platform::MakeSdlShowHost(options);
  if (!made) {
    state.SkipWithError("no display");
    return;
  }
  const std::unique_ptr<platform::ShowHost> host = std::move(made).value();
  host->PlacePicture1(0, 0, shape.width, shape.height);
  host->ShowWindow();
  raster::Surface picture(shape.width, shape.height, 0x00336699);
  picture.Cls();
  const platform::Rect area = Area(shape);
  std::uint32_t colour = 0;
  for (auto _ : state) {
    state.PauseTiming();
    picture.SetBackColor(++colour & 0xFFFFFF);
    picture.Cls();
    host->DoEvents();
    state.ResumeTiming();
    host->RefreshChanged(picture, area);
  }
}

// The bare puts' own connection, opened before SDL comes and goes.
Display* bare_display = nullptr;

// A bare put: own window, a segment filled once; with `fresh`, filled again from a new picture
// before every put.
void BarePut(benchmark::State& state, Shape shape, bool fresh) {
  Display* display = bare_display;
  if (display == nullptr || XShmQueryExtension(display) == False) {
    state.SkipWithError("no display with MIT-SHM");
    return;
  }
  const int screen = DefaultScreen(display);
  const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                            static_cast<unsigned>(shape.width),
                                            static_cast<unsigned>(shape.height), 0, 0, 0);
  XMapWindow(display, window);
  XSync(display, False);
  XShmSegmentInfo info{};
  XImage* image =
      XShmCreateImage(display, DefaultVisual(display, screen),
                      static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr, &info,
                      static_cast<unsigned>(shape.width), static_cast<unsigned>(shape.height));
  info.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * shape.height,
                      IPC_CREAT | 0600);
  info.shmaddr = image->data = static_cast<char*>(shmat(info.shmid, nullptr, 0));
  info.readOnly = False;
  XShmAttach(display, &info);
  XSync(display, False);
  shmctl(info.shmid, IPC_RMID, nullptr);
  for (int i = 0; i < image->bytes_per_line * shape.height; ++i)
    image->data[i] = static_cast<char>(i);
  const platform::Rect area = Area(shape);
  const GC gc = DefaultGC(display, screen);
  raster::Surface picture(shape.width, shape.height);
  const platform::PixelImage segment{reinterpret_cast<std::uint32_t*>(image->data),
                                     {shape.width, shape.height},
                                     static_cast<std::size_t>(image->bytes_per_line) / 4};
  const platform::Placement one_to_one{{0, 0, shape.width, shape.height}, 1};
  std::uint32_t colour = 0;
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      picture.SetBackColor(++colour & 0xFFFFFF);
      picture.Cls();
      state.ResumeTiming();
      platform::WritePlaced(picture, one_to_one, area, segment, true);
    }
    XShmPutImage(display, window, gc, image, area.left, area.top, area.left, area.top,
                 static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), False);
    XSync(display, False);
  }
  XShmDetach(display, &info);
  XSync(display, False);
  shmdt(info.shmaddr);
  image->data = nullptr;
  XDestroyImage(image);
  XDestroyWindow(display, window);
  XSync(display, False);
}

constexpr Shape kShapes[] = {
    {1920, 1080, false}, {1920, 1080, true}, {3840, 2160, false}, {3840, 2160, true}};

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr,
                 "bench_present: needs an X display of 3840x2160, e.g.\n"
                 "  xvfb-run -a -s \"-screen 0 3840x2160x24\" %s\n",
                 argv[0]);
    return 1;
  }
  bare_display = XOpenDisplay(nullptr);
  for (const Shape& shape : kShapes) {
    benchmark::RegisterBenchmark(("present/" + Name(shape)).c_str(), ProjectPresent, shape)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(60);
    benchmark::RegisterBenchmark(("bare/" + Name(shape)).c_str(), BarePut, shape, false)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(60);
    benchmark::RegisterBenchmark(("fresh/" + Name(shape)).c_str(), BarePut, shape, true)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(60);
  }
  benchmark::Initialize(&argc, argv);
  class Collect : public benchmark::ConsoleReporter {
   public:
    void ReportRuns(const std::vector<Run>& runs) override {
      for (const Run& run : runs) {
        if (run.aggregate_name.empty() && !run.error_occurred) {
          Medians("all")[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
      }
      ConsoleReporter::ReportRuns(runs);
    }
  } reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf(
      "\nPresent against a bare XShmPutImage + XSync of the same rectangle (goal <= 1.5), and\n"
      "against the same put of new pixels written from the show's layout first:\n");
  for (const Shape& shape : kShapes) {
    const auto& m = Medians("all");
    const auto p = m.find("present/" + Name(shape));
    const auto b = m.find("bare/" + Name(shape));
    const auto f = m.find("fresh/" + Name(shape));
    if (p == m.end() || b == m.end() || f == m.end() || b->second <= 0 || f->second <= 0) {
      continue;
    }
    std::printf("  %-20s %8.3f ms against %8.3f ms: %5.2fx; against %8.3f ms: %5.2fx\n",
                Name(shape).c_str(), p->second, b->second, p->second / b->second, f->second,
                p->second / f->second);
  }
  benchmark::Shutdown();
  if (bare_display != nullptr) XCloseDisplay(bare_display);
  return 0;
}
