// Building a show from 20 photos of 4000x3000 into 1920x1080 (`scenepack build --photos`)
// against `vipsthumbnail` making 1920x1080 JPEGs of the same files, each run as a program in
// the same run. Prints the ratio; the goal is at most 1.3.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <vips/vips8>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kPhotos = 20;

// A folder of 20 photo-like JPEGs (smoothed noise, which compresses like a photo), made once
// and removed at exit.
class PhotoFolder {
 public:
  PhotoFolder() {
    root_ = fs::temp_directory_path() / ("photos_bench_" + std::to_string(::getpid()));
    fs::create_directories(root_ / "photos");
    fs::create_directories(root_ / "thumbnails");
    using vips::VImage;
    auto channel = [](double mean) {
      return VImage::gaussnoise(4000, 3000, VImage::option()->set("mean", mean)->set("sigma", 40))
          .gaussblur(2);
    };
    const VImage photo =
        channel(110)
            .bandjoin({channel(128), channel(90)})
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const fs::path first = root_ / "photos" / "photo-01.jpg";
    photo.jpegsave(first.c_str(), VImage::option()->set("Q", 90));
    files_.push_back(first.string());
    for (int i = 2; i <= kPhotos; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "photo-%02d.jpg", i);
      fs::copy_file(first, root_ / "photos" / name);
      files_.push_back((root_ / "photos" / name).string());
    }
  }
  ~PhotoFolder() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  PhotoFolder(const PhotoFolder&) = delete;
  PhotoFolder& operator=(const PhotoFolder&) = delete;

  const fs::path& root() const { return root_; }
  const std::vector<std::string>& files() const { return files_; }

 private:
  fs::path root_;
  std::vector<std::string> files_;
};

PhotoFolder& Photos() {
  static PhotoFolder folder;
  return folder;
}

// Runs a program and waits for it; false unless it exits 0.
bool Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double ChildCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The benchmark's time is the wall clock; the programs' processor time goes in a counter.
void TimeProgram(benchmark::State& state, const std::vector<std::string>& args) {
  double cpu = 0;
  for (auto _ : state) {
    const double before = ChildCpuSeconds();
    if (!Run(args)) state.SkipWithError(("failed: " + args[0]).c_str());
    cpu += ChildCpuSeconds() - before;
  }
  state.counters["child_cpu_ms"] =
      benchmark::Counter(cpu * 1000 / static_cast<double>(state.iterations()));
}

void BM_VipsThumbnail(benchmark::State& state) {
  std::vector<std::string> args = {"vipsthumbnail", "-s", "1920x1080", "-o",
                                   (Photos().root() / "thumbnails" / "%s.jpg[Q=92]").string()};
  args.insert(args.end(), Photos().files().begin(), Photos().files().end());
  TimeProgram(state, args);
}

void BM_ScenepackBuildPhotos(benchmark::State& state) {
  TimeProgram(state, {SCENEPACK_PATH, "build", "--photos", (Photos().root() / "photos").string(),
                      "--size", "1920x1080", "--player", SCENESAVER_PATH, "-o",
                      (Photos().root() / "show.scr").string()});
}

BENCHMARK(BM_VipsThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ScenepackBuildPhotos)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// Keeps each benchmark's wall-clock time and its programs' processor time.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find('/'));
      real[name] = run.GetAdjustedRealTime();
      const auto counter = run.counters.find("child_cpu_ms");
      if (counter != run.counters.end()) cpu[name] = counter->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real;
  std::map<std::string, double> cpu;
};

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0]) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  Photos();  // made before timing
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const auto& [label, times] :
       {std::pair{"real time", &reporter.real}, {"processor time", &reporter.cpu}}) {
    const auto ours = times->find("BM_ScenepackBuildPhotos");
    const auto base = times->find("BM_VipsThumbnail");
    if (ours != times->end() && base != times->end() && base->second > 0) {
      std::printf("scenepack build --photos / vipsthumbnail (%s) = %.2f (goal: at most 1.30)\n",
                  label, ours->second / base->second);
    }
  }
  benchmark::Shutdown();
  vips_shutdown();
  return 0;
}
