// A recording stand-in for the event loop, shared by the transition tests: a virtual clock that
// jumps to the tick a wait asks for, counters of yields, waits and refreshes, a quit raised at a
// chosen step, and the drawing calls of a run split into opening copy, steps and final copy.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <ostream>
#include <variant>
#include <vector>

#include "effects/EffectModule.h"
#include "platform/ShowHost.h"
#include "raster/Surface.h"

namespace scenesaver::effects {
// Readable failures for drawing calls.
inline void PrintTo(const DrawCall& c, std::ostream* os) {
  static constexpr const char* kKinds[] = {"Copy", "Stretch", "Fill"};
  *os << kKinds[static_cast<int>(c.kind)] << (c.source == Source::kNowPicture ? "(Now" : "(Next")
      << " dst " << c.x << "," << c.y << " " << c.w << "x" << c.h << " src " << c.sx << "," << c.sy
      << " " << c.sw << "x" << c.sh << ")";
}
}  // namespace scenesaver::effects

namespace scenesaver::effects_test {

using effects::DrawCall;
using effects::Source;
using raster::Surface;

struct RefreshMark {};
using LogEntry = std::variant<DrawCall, RefreshMark>;

class RecordingLoop : public platform::EventLoop, public effects::DrawObserver {
 public:
  std::uint32_t GetTickCount() override {
    ++clock_reads;
    return now;
  }
  void DoEvents() override {
    ++yields;
    if (quit_flag != nullptr && quit_after_refresh > 0 && refreshes >= quit_after_refresh) {
      *quit_flag = -1;
    }
  }
  void WaitForEventsUntil(std::uint32_t tick) override {
    ++waits;
    if (static_cast<std::int32_t>(tick - now) > 0) now = tick;
  }
  void Refresh(const Surface& picture1) override {
    ++refreshes;
    log.emplace_back(RefreshMark{});
    if (on_refresh) on_refresh(picture1, refreshes - 1);
    now += draw_ms;  // the next step's drawing, seen at its end
  }
  void OnDraw(const DrawCall& call) override { log.emplace_back(call); }

  std::uint32_t now = 1000;
  // Virtual milliseconds that each step's drawing takes.
  std::uint32_t draw_ms = 0;
  // Raises *quit_flag in the first yield after this many refreshes.
  int quit_after_refresh = 0;
  std::int16_t* quit_flag = nullptr;
  // Called at every refresh with the surface and the refresh's index from 0.
  std::function<void(const Surface&, int)> on_refresh;

  int clock_reads = 0;
  int yields = 0;
  int waits = 0;
  int refreshes = 0;
  std::vector<LogEntry> log;
};

// The drawing of one run, taken apart.
struct Recording {
  DrawCall opening;
  std::vector<std::vector<DrawCall>> steps;
  DrawCall final_copy;
  bool refreshed_after_final = false;
};

inline Recording Split(const std::vector<LogEntry>& log) {
  Recording run;
  std::size_t first = 0;
  std::size_t last = log.size();
  if (last > 0 && std::holds_alternative<RefreshMark>(log[last - 1]) && last > 1 &&
      std::holds_alternative<DrawCall>(log[last - 2])) {
    run.refreshed_after_final = true;
    --last;
  }
  if (first < last) run.opening = std::get<DrawCall>(log[first++]);
  if (first < last) run.final_copy = std::get<DrawCall>(log[--last]);
  std::vector<DrawCall> step;
  for (std::size_t i = first; i < last; ++i) {
    if (std::holds_alternative<RefreshMark>(log[i])) {
      run.steps.push_back(step);
      step.clear();
    } else {
      step.push_back(std::get<DrawCall>(log[i]));
    }
  }
  return run;
}

// Pictures whose every pixel names its picture and position, so a test can tell where a pixel
// on the surface came from.
inline constexpr std::uint32_t kNowTag = 0x1u << 28;
inline constexpr std::uint32_t kNextTag = 0x2u << 28;
inline std::uint32_t Coded(std::uint32_t tag, int x, int y) {
  return tag | (static_cast<std::uint32_t>(y) << 14) | static_cast<std::uint32_t>(x);
}
inline Surface CodedPicture(int width, int height, std::uint32_t tag) {
  Surface s(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) s.Row(y)[x] = Coded(tag, x, y);
  }
  return s;
}

// Runs one transition on coded pictures and keeps everything a test looks at.
struct Harness {
  Harness(int width, int height) : Harness(width, height, width, height) {}
  // Pictures smaller than the surface: copies from them are clipped, so a run is cheap.
  Harness(int width, int height, int picture_width, int picture_height)
      : now(CodedPicture(picture_width, picture_height, kNowTag)),
        next(CodedPicture(picture_width, picture_height, kNextTag)),
        picture1(width, height, 0x00FFFFFF) {
    picture1.Cls();
    loop.quit_flag = &QuitFlag;
  }
  Recording Play(int number) {
    effects::RunTransition(number, state, loop, QuitFlag, picture1, now, next, &loop);
    return Split(loop.log);
  }
  bool Shows(const Surface& picture) const {
    return std::equal(picture1.Pixels().begin(), picture1.Pixels().end(), picture.Pixels().begin(),
                      picture.Pixels().end());
  }

  Surface now;
  Surface next;
  Surface picture1;
  effects::State state;
  RecordingLoop loop;
  std::int16_t QuitFlag = 0;
};

inline DrawCall Copy(Source source, int x, int y, int w, int h, int sx, int sy) {
  return {DrawCall::Kind::kCopy, source, x, y, w, h, sx, sy, w, h};
}
inline DrawCall Stretch(Source source, int x, int y, int w, int h, int sw, int sh) {
  return {DrawCall::Kind::kStretch, source, x, y, w, h, 0, 0, sw, sh};
}
inline DrawCall Fill(int w, int h) {
  return {DrawCall::Kind::kFill, Source::kNextPicture, -1, -1, w, h, 0, 0, 0, 0};
}

}  // namespace scenesaver::effects_test
