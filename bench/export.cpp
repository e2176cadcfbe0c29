// `scenepack export` of 60 s of the demo show at 800x600, 30 fps, H.264, against FFmpeg's own
// command encoding the same 1,800 frames from raw RGB on a pipe with the same codec settings,
// in the same run. The frames for FFmpeg come from `scenepack render` (untimed), sampled at
// 30 fps. Prints the ratio (goal: at most 1.2) and the export's speed against real time (goal:
// at least 10x).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/picture/PictureDecoder.h"

extern char** environ;

namespace {

constexpr int kSeconds = 60;
constexpr int kFps = 30;
constexpr int kFrames = kSeconds * kFps;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
// The codec settings `scenepack export` uses for .mp4.
const std::vector<std::string> kCodecSettings = {"-c:v", "libx264", "-preset",  "veryfast",
                                                 "-crf", "23",      "-pix_fmt", "yuv420p"};

struct Cost {
  double real_s = 0;
  double cpu_s = 0;  // of the child processes, plus this process's feeding for FFmpeg
};

std::map<std::string, std::vector<Cost>>& Costs() {
  static std::map<std::string, std::vector<Cost>> costs;
  return costs;
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double RusageSeconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// A scratch folder removed at exit.
struct Scratch {
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "export-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

Scratch& Folder() {
  static Scratch scratch;
  return scratch;
}

// Runs a program; with `feed`, writes to its standard input through a pipe. Returns its exit
// status and adds its CPU time to `cost`.
int Run(const std::vector<std::string>& argv, Cost& cost,
        const std::function<bool(int fd)>& feed = {}) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  int pipe_fds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (feed) {
    if (pipe(pipe_fds) != 0) return -1;
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[1]);
  }
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (feed) {
    close(pipe_fds[0]);
    if (spawned == 0) {
      const double before = ProcessCpuSeconds();
      feed(pipe_fds[1]);
      cost.cpu_s += ProcessCpuSeconds() - before;
    }
    close(pipe_fds[1]);
  }
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  cost.cpu_s += RusageSeconds(usage);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The 1,800 frames of the first minute as RGB: the distinct pictures the show refreshed, and
// for each frame the picture on screen at its instant.
struct RawFrames {
  std::vector<std::vector<std::uint8_t>> pictures;
  std::vector<std::size_t> frame_picture;
  std::string problem;
};

RawFrames& Frames() {
  static RawFrames frames = [] {
    RawFrames made;
    const std::string out = Folder().path + "/render";
    Cost ignored;
    if (Run({SCENEPACK_PATH, "render", DEMO_SCR, "--out", out, "--until-ms",
             std::to_string(kSeconds * 1000)},
            ignored) != 0) {
      made.problem = "scenepack render failed";
      return made;
    }
    std::ifstream csv(out + "/frames.csv");
    std::string line;
    std::getline(csv, line);
    std::vector<std::uint64_t> ticks;
    while (std::getline(csv, line)) {
      const auto first = line.find(',');
      const auto second = line.find(',', first + 1);
      ticks.push_back(std::stoull(line.substr(first + 1, second - first - 1)));
      auto decoded = scenesaver::platform::DecodePicture(out + "/" + line.substr(second + 1));
      if (!decoded || decoded.value().Width() != kWidth || decoded.value().Height() != kHeight) {
        made.problem = "cannot read the rendered frame " + line;
        return made;
      }
      std::vector<std::uint8_t> rgb;
      rgb.reserve(static_cast<std::size_t>(kWidth) * kHeight * 3);
      for (const std::uint32_t c : decoded.value().Pixels()) {
        rgb.push_back(static_cast<std::uint8_t>(c));
        rgb.push_back(static_cast<std::uint8_t>(c >> 8));
        rgb.push_back(static_cast<std::uint8_t>(c >> 16));
      }
      made.pictures.push_back(std::move(rgb));
    }
    std::size_t shown = 0;
    for (int i = 0; i < kFrames; ++i) {
      while (shown + 1 < ticks.size() &&
             ticks[shown + 1] * kFps <= static_cast<std::uint64_t>(i) * 1000) {
        ++shown;
      }
      made.frame_picture.push_back(shown);
    }
    std::filesystem::remove_all(out);
    return made;
  }();
  return frames;
}

void Record(benchmark::State& state, const std::string& name, const Cost& cost) {
  Costs()[name].push_back(cost);
  state.SetIterationTime(cost.real_s);
  state.counters["cpu_s"] = cost.cpu_s;
}

void BM_FfmpegFromRawPipe(benchmark::State& state) {
  const RawFrames& frames = Frames();
  if (!frames.problem.empty()) {
    state.SkipWithError(frames.problem.c_str());
    return;
  }
  const std::string out = Folder().path + "/ffmpeg.mp4";
  std::vector<std::string> argv = {
      "/usr/bin/ffmpeg", "-v", "error",   "-y", "-f", "rawvideo", "-pix_fmt",
      "rgb24",           "-s", "800x600", "-r", "30", "-i",       "pipe:0"};
  argv.insert(argv.end(), kCodecSettings.begin(), kCodecSettings.end());
  argv.push_back(out);
  for (auto _ : state) {
    Cost cost;
    const auto start = std::chrono::steady_clock::now();
    const int status = Run(argv, cost, [&frames](int fd) {
      for (const std::size_t picture : frames.frame_picture) {
        const std::vector<std::uint8_t>& rgb = frames.pictures[picture];
        std::size_t done = 0;
        while (done < rgb.size()) {
          const ssize_t wrote = write(fd, rgb.data() + done, rgb.size() - done);
          if (wrote <= 0) return false;
          done += static_cast<std::size_t>(wrote);
        }
      }
      return true;
    });
    cost.real_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) state.SkipWithError("ffmpeg failed");
    Record(state, "ffmpeg", cost);
  }
}

void Export(benchmark::State& state, const std::string& name, bool audio) {
  const std::string out = Folder().path + "/" + name + ".mp4";
  std::vector<std::string> argv = {SCENEPACK_PATH, "export", DEMO_SCR, "-o", out,
                                   "--seconds",    "60",     "--fps",  "30"};
  if (!audio) argv.push_back("--no-audio");
  for (auto _ : state) {
    Cost cost;
    const auto start = std::chrono::steady_clock::now();
    const int status = Run(argv, cost);
    cost.real_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) state.SkipWithError("scenepack export failed");
    Record(state, name, cost);
  }
}

void BM_ScenepackExport(benchmark::State& state) { Export(state, "export", false); }
void BM_ScenepackExportWithSound(benchmark::State& state) { Export(state, "export+sound", true); }

BENCHMARK(BM_FfmpegFromRawPipe)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_ScenepackExport)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK(BM_ScenepackExportWithSound)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

Cost MedianCost(const std::string& name) {
  std::vector<double> real;
  std::vector<double> cpu;
  for (const Cost& cost : Costs()[name]) {
    real.push_back(cost.real_s);
    cpu.push_back(cost.cpu_s);
  }
  return {Median(real), Median(cpu)};
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::signal(SIGPIPE, SIG_IGN);  // a failed ffmpeg is reported, not fatal
  benchmark::RunSpecifiedBenchmarks();
  const Cost ffmpeg = MedianCost("ffmpeg");
  for (const std::string name : {"export", "export+sound"}) {
    const Cost exported = MedianCost(name);
    if (exported.real_s <= 0) continue;
    if (ffmpeg.real_s > 0) {
      std::printf(
          "%s / ffmpeg from a raw pipe: %.2f real time, %.2f CPU time (goal: at most 1.20)\n",
          name.c_str(), exported.real_s / ffmpeg.real_s, exported.cpu_s / ffmpeg.cpu_s);
    }
    std::printf("%s: %.1fx faster than real time (goal: at least 10x); %.1fx per CPU second\n",
                name.c_str(), kSeconds / exported.real_s, kSeconds / exported.cpu_s);
  }
  benchmark::Shutdown();
  return 0;
}
