// Drawing cost of the 29 transitions: for each, the worst time one step spends on its copies,
// stretched copies and fills (the present excluded), as a share of its step interval, at
// 1920 x 1080 and 3840 x 2160. The clock is virtual, so no step waits for real; a plain
// full-surface copy measured in the same run is the baseline the other times are read against.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "effects/EffectModule.h"
#include "platform/ShowHost.h"
#include "raster/Surface.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using raster::Surface;

// CPU time of this thread in milliseconds: the drawing is compute-bound, and on a shared
// machine wall time would mostly measure preemption.
double ThreadMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

// Times each step's drawing: from the step's clock reading to its refresh. The refresh after a
// final copy follows a reading taken inside a wait and is not a step.
class StepTimer : public platform::EventLoop {
 public:
  std::uint32_t GetTickCount() override {
    read_in_wait_ = last_was_yield_;
    last_was_yield_ = false;
    mark_ = ThreadMs();
    return now_;
  }
  void DoEvents() override { last_was_yield_ = true; }
  void WaitForEventsUntil(std::uint32_t tick) override {
    last_was_yield_ = false;
    now_ = tick;
  }
  void Refresh(const Surface&) override {
    last_was_yield_ = false;
    if (!read_in_wait_) step_ms_.push_back(ThreadMs() - mark_);
  }
  const std::vector<double>& step_ms() const { return step_ms_; }

 private:
  std::uint32_t now_ = 0;
  double mark_ = 0;
  bool last_was_yield_ = false;
  bool read_in_wait_ = false;
  std::vector<double> step_ms_;
};

struct Pictures {
  Pictures(int width, int height)
      : now(width, height), next(width, height), picture1(width, height) {
    std::uint32_t seed = 12345;
    for (Surface* s : {&now, &next}) {
      for (std::uint32_t& p : s->Pixels()) {
        seed = seed * 1664525u + 1013904223u;
        p = seed >> 8;
      }
    }
  }
  Surface now, next, picture1;
};

Pictures& PicturesOf(int width, int height) {
  static std::map<std::pair<int, int>, Pictures> cache;
  auto it = cache.find({width, height});
  if (it == cache.end()) {
    it = cache
             .emplace(std::piecewise_construct, std::forward_as_tuple(width, height),
                      std::forward_as_tuple(width, height))
             .first;
  }
  return it->second;
}

struct Result {
  std::string name;
  int width = 0, height = 0;
  double worst_ms = 0;
  std::uint32_t interval_ms = 0;
};
std::map<std::pair<int, int>, double> g_full_copy_ms;  // by size
std::vector<Result> g_results;

void FullCopy(benchmark::State& state, int width, int height) {
  Pictures& p = PicturesOf(width, height);
  double best = 1e9;
  for (auto _ : state) {
    const double start = ThreadMs();
    raster::BitBlt(p.picture1, 0, 0, width, height, p.next, 0, 0);
    benchmark::ClobberMemory();
    best = std::min(best, ThreadMs() - start);
  }
  g_full_copy_ms[{width, height}] = best;
  state.counters["ms"] = best;
}

void Transition(benchmark::State& state, int number, int width, int height) {
  Pictures& p = PicturesOf(width, height);
  effects::State effects;
  const std::int16_t quit = 0;
  // Each step's time is the least over the iterations (noise only ever adds); the step that
  // costs most is the transition's worst.
  std::vector<double> least;
  for (auto _ : state) {
    StepTimer timer;
    effects::RunTransition(number, effects, timer, quit, p.picture1, p.now, p.next);
    const auto& ms = timer.step_ms();
    if (least.empty()) least = ms;
    for (std::size_t i = 0; i < least.size() && i < ms.size(); ++i) {
      least[i] = std::min(least[i], ms[i]);
    }
  }
  const double worst = least.empty() ? 0.0 : *std::max_element(least.begin(), least.end());
  const auto info = effects::DescribeTransition(number);
  const double share = 100.0 * worst / info.interval_ms;
  state.counters["worst_step_ms"] = worst;
  state.counters["share_pct"] = share;
  const double baseline = g_full_copy_ms[{width, height}];
  if (baseline > 0) state.counters["x_full_copy"] = worst / baseline;
  g_results.push_back({std::string(info.name), width, height, worst, info.interval_ms});
}

void PrintSummary() {
  std::printf("\nworst drawing time of one step as a share of the step interval\n");
  std::printf("%-3s %-28s %6s %14s %14s\n", "", "transition", "step", "1920x1080", "3840x2160");
  for (int number = 1; number <= 29; ++number) {
    const auto info = effects::DescribeTransition(number);
    double shares[2] = {-1, -1};
    for (const Result& r : g_results) {
      if (r.name != info.name) continue;
      shares[r.width == 1920 ? 0 : 1] = 100.0 * r.worst_ms / r.interval_ms;
    }
    std::printf("%-3d %-28s %4ums %13.1f%% %13.1f%%%s\n", number, std::string(info.name).c_str(),
                info.interval_ms, shares[0], shares[1],
                (shares[0] >= 10.0 || shares[1] >= 35.0) ? "  over goal" : "");
  }
  std::printf("goal: under 10%% at 1920x1080, under 35%% at 3840x2160\n");
}

}  // namespace

int main(int argc, char** argv) {
  constexpr std::pair<int, int> kSizes[] = {{1920, 1080}, {3840, 2160}};
  for (const auto& [w, h] : kSizes) {
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    benchmark::RegisterBenchmark(("FullCopy/" + size).c_str(), FullCopy, w, h)
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    for (int number = 1; number <= 29; ++number) {
      const std::string name =
          std::string(effects::DescribeTransition(number).name) + "/" + size;
      benchmark::RegisterBenchmark(name.c_str(), Transition, number, w, h)
          ->Iterations(2)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintSummary();
  return 0;
}
