// Loading a 100 MB package against reading the same file with a plain read() loop into a
// fresh buffer, in the same run. Prints the ratio; the goal is at most 1.5.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "package/PackageFormat.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

constexpr std::size_t kMusicBytes = 10u << 20;
constexpr std::size_t kPictureBytes = 9u << 20;
constexpr int kScenes = 10;  // 10 MB of music and 90 MB of pictures

// A saver file with a 100 MB package, written once and removed at exit.
class PackageFile {
 public:
  PackageFile() {
    path_ = std::filesystem::temp_directory_path() /
            ("package_load_bench_" + std::to_string(::getpid()) + ".scr");
    package::Package p;
    p.PictureWidth = 800;
    p.PictureHeight = 600;
    p.SceneCount = kScenes;
    p.MusicFileName = "tune.mid";
    p.MusicData = {true, 0, std::vector<std::uint8_t>(kMusicBytes, 0x4D)};
    p.ScenesPresent = true;
    for (int i = 0; i < kScenes; ++i) {
      package::SceneRecord s;
      s.PictureFileName = std::to_string(i) + ".jpg";
      s.DisplayTime = 3000;
      s.PictureData = {true, 0,
                       std::vector<std::uint8_t>(kPictureBytes, static_cast<std::uint8_t>(i))};
      p.Scenes.push_back(std::move(s));
    }
    const std::vector<std::uint8_t> bytes = package::SerializeWithLength(p);
    std::ofstream out(path_, std::ios::binary);
    const std::string player(64 * 1024, 'P');
    out.write(player.data(), static_cast<std::streamsize>(player.size()));
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    size_ = player.size() + bytes.size();
  }
  ~PackageFile() { std::filesystem::remove(path_); }
  const std::string path() const { return path_.string(); }
  std::size_t size() const { return size_; }

 private:
  std::filesystem::path path_;
  std::size_t size_ = 0;
};

PackageFile& File() {
  static PackageFile file;
  return file;
}

void BM_LoadPackage(benchmark::State& state) {
  const std::string path = File().path();
  for (auto _ : state) {
    package::LoadResult r = package::LoadPackageFromFile(path);
    if (r.problem) state.SkipWithError(r.problem->message.c_str());
    benchmark::DoNotOptimize(r.record.Scenes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size()));
}

void BM_PlainRead(benchmark::State& state) {
  const std::string path = File().path();
  const std::size_t size = File().size();
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t got = ::read(fd, buffer.get() + done, size - done);
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LoadPackage)->Unit(benchmark::kMillisecond)->Iterations(10);

// Keeps each benchmark's mean real time per iteration besides printing as usual.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      real[run.benchmark_name()] = run.GetAdjustedRealTime();
      cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> real;
  std::map<std::string, double> cpu;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  File();  // write the file before timing; a first plain read warms the page cache
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time is the steadier measure on a shared machine, where the wall clock also counts
  // the time other processes hold the processors; both are printed.
  for (const auto& [label, times] :
       {std::pair{"cpu time", &reporter.cpu}, {"real time", &reporter.real}}) {
    const auto load = times->find("BM_LoadPackage/iterations:10");
    const auto read = times->find("BM_PlainRead/iterations:10");
    if (load != times->end() && read != times->end() && read->second > 0) {
      std::printf("package load / plain read (%s) = %.2f (goal: at most 1.50)\n", label,
                  load->second / read->second);
    }
  }
  benchmark::Shutdown();
  return 0;
}
