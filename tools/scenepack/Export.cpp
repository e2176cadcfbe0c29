// scenepack export: the show of a saver file as a video file. The show runs on the headless
// host's virtual clock exactly as `render` runs it; its refreshes are sampled at a constant
// frame rate and its logged sound calls rebuilt into the sound track, both streamed to the
// encoder as the show goes, so that nothing of the show is kept.
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/headless/HeadlessHost.h"
#include "platform/picture/PictureDecoder.h"
#include "tools/scenepack/AudioMixdown.h"
#include "tools/scenepack/ExportProgress.h"
#include "tools/scenepack/ExportScale.h"
#include "tools/scenepack/FrameCanvas.h"
#include "tools/scenepack/FrameSampler.h"
#include "tools/scenepack/MediaWriter.h"
#include "tools/scenepack/ShowAudioSources.h"
#include "tools/scenepack/ShowRun.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {

namespace {

constexpr int kInterruptedExit = 130;

struct ExportArguments {
  std::string saver;
  std::string out;
  std::optional<double> seconds;
  std::optional<int> loops;
  int fps = 30;
  std::optional<std::string> size;
  std::optional<int> scale;
  std::optional<int> crf;
  bool no_audio = false;
};

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int /*signal*/) { interrupted = 1; }

// Catches Ctrl+C while it lives, so that the export can stop and remove its partial file.
class InterruptCatcher {
 public:
  InterruptCatcher() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_int_);
    sigaction(SIGTERM, &action, &previous_term_);
  }
  ~InterruptCatcher() {
    sigaction(SIGINT, &previous_int_, nullptr);
    sigaction(SIGTERM, &previous_term_, nullptr);
  }
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

 private:
  struct sigaction previous_int_ {};
  struct sigaction previous_term_ {};
};

// The file being written: a hidden temporary file beside the output, renamed over it once
// complete, removed otherwise; so an existing file stays untouched until the export succeeds.
class PartialFile {
 public:
  // nullopt and the reason when no file can be made beside `target`.
  static std::variant<std::unique_ptr<PartialFile>, std::string> Create(const std::string& target) {
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
      return target + ": cannot create a file in " + folder.string() + ": " + std::strerror(errno);
    // The mode a new file gets, not mkstemp's private one.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    return std::unique_ptr<PartialFile>(new PartialFile(target, pattern));
  }
  ~PartialFile() {
    if (kept_) return;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;
  const std::string& Path() const { return path_; }
  // Renames the file over the target; the reason when that fails.
  std::optional<std::string> Keep() {
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
      return target_ + ": cannot write: " + std::strerror(errno);
    }
    kept_ = true;
    return std::nullopt;
  }

 private:
  PartialFile(std::string target, std::string path)
      : target_(std::move(target)), path_(std::move(path)) {}
  std::string target_;
  std::string path_;
  bool kept_ = false;
};

// Counts the show's picture loads: one for the first scene, then one as each scene step
// begins, so the step after the last of `loops` full loops begins at load number
// loops * SceneCount + 2, the moment those loops end.
class LoopWatch {
 public:
  void SetTarget(std::int64_t load_number) { target_ = load_number; }
  // True when this load marks the end.
  bool Count() { return ++loads_ == target_; }

 private:
  std::int64_t loads_ = 0;
  std::int64_t target_ = -1;
};

class Exporter {
 public:
  Exporter(const ExportArguments& args, Container container)
      : args_(args),
        container_(container),
        audio_(!args.no_audio && ContainerHasAudio(container)) {}

  int Run() {
    platform::HeadlessOptions options;
    if (args_.seconds) {
      length_ms_ = static_cast<std::uint64_t>(std::llround(*args_.seconds * 1000.0));
      options.until_ms = static_cast<std::uint32_t>(*length_ms_);
    }
    options.picture_loader = [this](const std::string& path) {
      if (loop_watch_.Count()) LoopEnded();
      return platform::DecodePicture(path);
    };
    options.frame_sink = [this](const raster::Surface& picture, std::uint32_t tick) {
      OnRefresh(picture, tick);
    };
    platform::HeadlessHost host(options);
    host_ = &host;
    const std::int64_t frames = length_ms_ ? FrameCountFor(*length_ms_, args_.fps) : kUnknown;
    sampler_.emplace(args_.fps, frames,
                     [this](const raster::Surface& picture, std::int64_t, bool repeat) {
                       EmitFrame(picture, repeat);
                     });
    if (audio_) {
      mixdown_.emplace(sources_, length_ms_ ? AudioFramesFor(frames) : kUnknown,
                       [this](std::span<const float> samples) { EmitAudio(samples); });
    }
    progress_.fps = args_.fps;
    auto created = PartialFile::Create(args_.out);
    if (const auto* problem = std::get_if<std::string>(&created)) return Fail(*problem);
    partial_ = std::move(std::get<std::unique_ptr<PartialFile>>(created));
    const InterruptCatcher catcher;
    started_ = std::chrono::steady_clock::now();
    const auto problem = RunShowOf(args_.saver, host, [this](const package::ShowState& module1) {
                           const std::int64_t scenes = module1.PackageRecord.SceneCount;
                           if (!length_ms_ && scenes > 0)
                             loop_watch_.SetTarget(args_.loops.value_or(1) * scenes + 2);
                         }).problem;
    host_ = nullptr;
    if (problem) return Fail(*problem);
    if (!host.Messages().empty()) return Fail("the show stopped with an error");
    if (interrupted != 0) return Interrupted();
    if (failure_) return Fail(*failure_);
    if (!writer_) return Fail(args_.saver + ": the show drew nothing");
    if (!length_ms_) SetLength(host.GetTickCount());  // the show ended before its loop did
    FlushAudioCalls(host);
    sampler_->Finish();
    if (sampler_->FramesEmitted() == 0) {
      return Fail(args_.saver + ": the show's loop is shorter than one frame; give --seconds");
    }
    if (mixdown_) mixdown_->Finish();
    if (!failure_) failure_ = writer_->Finish();
    writer_.reset();
    if (interrupted != 0) return Interrupted();
    if (failure_) return Fail(*failure_);
    if (auto problem = partial_->Keep()) return Fail(*problem);
    progress_.wall_seconds = Elapsed();
    EndProgressBar();
    std::cout << SummaryLine(args_.out, progress_, plan_.frame_width, plan_.frame_height) << '\n';
    return 0;
  }

 private:
  static constexpr std::int64_t kUnknown = std::numeric_limits<std::int64_t>::max() / 2;

  std::uint64_t AudioFramesFor(std::int64_t frames) const {
    const auto fps = static_cast<std::uint64_t>(args_.fps);
    return (static_cast<std::uint64_t>(frames) * kMixRate + fps - 1) / fps;
  }

  void SetLength(std::uint64_t length_ms) {
    length_ms_ = length_ms;
    const std::int64_t frames =
        std::max(FrameCountFor(length_ms, args_.fps), sampler_->FramesEmitted());
    sampler_->SetFrameCount(frames);
    if (mixdown_) mixdown_->SetTotalFrames(AudioFramesFor(frames));
  }

  void LoopEnded() {
    if (host_ == nullptr || length_ms_) return;
    const std::uint32_t tick = host_->GetTickCount();
    SetLength(tick);
    host_->EndAfter(tick);
  }

  // Stops the show at its next yield.
  void Stop() {
    if (host_ != nullptr) host_->EndAfter(0);
  }

  void OnRefresh(const raster::Surface& picture, std::uint32_t tick) {
    if (stopped_) return;
    if (interrupted != 0 || failure_) {
      stopped_ = true;
      Stop();
      return;
    }
    if (!writer_ && !OpenWriter(picture)) {
      stopped_ = true;
      Stop();
      return;
    }
    sampler_->Refresh(picture, tick);
    if (host_ != nullptr) FlushAudioCalls(*host_);
    if (mixdown_) mixdown_->MixUntil(SampleFrameAt(tick));
    ShowProgress();
    if (sampler_->Done() && host_ != nullptr) host_->EndAfter(tick);
  }

  bool OpenWriter(const raster::Surface& picture) {
    std::optional<FrameSize> size;
    if (args_.size) size = ParseFrameSize(*args_.size);
    auto planned = PlanScale(picture.Width(), picture.Height(), size, args_.scale,
                             ContainerNeedsEvenSize(container_));
    if (const auto* problem = std::get_if<std::string>(&planned)) {
      failure_ = *problem;
      return false;
    }
    plan_ = std::get<ScalePlan>(planned);
    MediaSettings settings;
    settings.width = plan_.frame_width;
    settings.height = plan_.frame_height;
    settings.fps = args_.fps;
    settings.crf = args_.crf.value_or(DefaultCrf(container_));
    settings.audio = audio_;
    auto opened = MediaWriter::Open(partial_->Path(), args_.out, container_, settings);
    if (auto* problem = std::get_if<std::string>(&opened)) {
      failure_ = *problem;
      return false;
    }
    writer_ = std::move(std::get<std::unique_ptr<MediaWriter>>(opened));
    canvas_.emplace(plan_);
    return true;
  }

  void EmitFrame(const raster::Surface& picture, bool repeat) {
    if (failure_ || !writer_) return;
    if (repeat) {
      failure_ = writer_->RepeatVideo();
    } else {
      const FrameCanvas::View view = canvas_->Draw(picture);
      failure_ = writer_->WriteVideo(view.pixels, view.stride);
    }
    ++progress_.frames_done;
  }

  void EmitAudio(std::span<const float> samples) {
    if (failure_ || !writer_) return;
    failure_ = writer_->WriteAudio(samples);
  }

  void FlushAudioCalls(const platform::HeadlessHost& host) {
    const auto& calls = host.AudioCalls();
    for (; applied_calls_ < calls.size(); ++applied_calls_) {
      if (mixdown_) mixdown_->Apply(calls[applied_calls_]);
    }
  }

  double Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

  void ShowProgress() {
    if (!terminal_) return;
    const double now = Elapsed();
    if (now - last_drawn_ < 0.1) return;
    last_drawn_ = now;
    progress_.wall_seconds = now;
    if (length_ms_) progress_.frames_total = sampler_->FrameCount();
    std::cerr << '\r' << ProgressLine(progress_, 30) << "\x1b[K" << std::flush;
    bar_drawn_ = true;
  }

  void EndProgressBar() {
    if (bar_drawn_) std::cerr << "\r\x1b[K" << std::flush;
    bar_drawn_ = false;
  }

  int Fail(const std::string& problem) {
    EndProgressBar();
    std::cerr << "scenepack export: " << problem << '\n';
    return 1;
  }

  int Interrupted() {
    EndProgressBar();
    std::cerr << "scenepack export: interrupted; " << args_.out << " was not written\n";
    return kInterruptedExit;
  }

  const ExportArguments& args_;
  Container container_;
  bool audio_;
  bool terminal_ = isatty(STDERR_FILENO) != 0;
  std::optional<std::uint64_t> length_ms_;
  platform::HeadlessHost* host_ = nullptr;
  LoopWatch loop_watch_;
  ShowAudioSources sources_;
  std::optional<FrameSampler> sampler_;
  std::optional<AudioMixdown> mixdown_;
  std::size_t applied_calls_ = 0;
  ScalePlan plan_;
  std::optional<FrameCanvas> canvas_;
  std::unique_ptr<PartialFile> partial_;  // declared before the writer: it outlives it
  std::unique_ptr<MediaWriter> writer_;
  std::optional<std::string> failure_;
  bool stopped_ = false;
  ExportProgress progress_;
  std::chrono::steady_clock::time_point started_;
  double last_drawn_ = -1;
  bool bar_drawn_ = false;
};

int Export(const ExportArguments& args) {
  const auto container = ContainerForPath(args.out);
  if (!container) {
    std::cerr << "scenepack export: " << args.out
              << ": unknown video file type; the known ones are " << KnownVideoExtensions() << '\n';
    return 2;
  }
  if (args.size && !ParseFrameSize(*args.size)) {
    std::cerr << "scenepack export: --size " << *args.size
              << ": expected WIDTHxHEIGHT, each 1 to 16384\n";
    return 2;
  }
  // The lossless and GIF formats have no quality scale: --crf is ignored there.
  if (args.crf && MaxCrf(*container) > 0 && (*args.crf < 0 || *args.crf > MaxCrf(*container))) {
    std::cerr << "scenepack export: --crf " << *args.crf << ": this file type takes 0 to "
              << MaxCrf(*container) << '\n';
    return 2;
  }
  Exporter exporter(args, *container);
  return exporter.Run();
}

}  // namespace

void RegisterExport(CLI::App& app, int& exit_code) {
  auto args = std::make_shared<ExportArguments>();
  CLI::App* command = app.add_subcommand(
      "export",
      "Write a saver's show as a video file with its music and sounds: .mp4 (H.264, AAC), "
      ".webm (VP9, Opus), .mkv (FFV1, FLAC; lossless), .gif or .webp (animated, no sound)");
  command->add_option("SAVER", args->saver, "The saver file (a player with a package)")
      ->required()
      ->check(CLI::ExistingFile);
  command->add_option("-o,--out", args->out, "The video file; its extension picks the format")
      ->required();
  auto* seconds = command
                      ->add_option("--seconds", args->seconds,
                                   "Length in seconds (default: one full loop of the show)")
                      ->check(CLI::Range(0.001, 86400.0));
  command->add_option("--loops", args->loops, "Length in full loops of the show")
      ->check(CLI::Range(1, 10000))
      ->excludes(seconds);
  command->add_option("--fps", args->fps, "Frames a second")
      ->check(CLI::Range(1, 120))
      ->capture_default_str();
  auto* size = command->add_option(
      "--size", args->size,
      "Frame size WxH: the picture at the largest whole multiple that fits, or scaled down "
      "smoothly to fit, centred on black");
  command->add_option("--scale", args->scale, "Frame size as a whole multiple of the picture")
      ->check(CLI::Range(1, 16))
      ->excludes(size);
  command->add_option("--crf", args->crf,
                      "Quality, lower is better: H.264 0-51 (default 23), VP9 0-63 (32), "
                      "WebP 0-100 (25); ignored by the lossless and GIF formats");
  command->add_flag("--no-audio", args->no_audio, "Leave the music and sounds out");
  command->footer(
      "The show runs on a virtual clock, as `scenepack render` runs it, so an export is faster "
      "than real time. Ctrl+C stops it and removes the partial file. Exit status: 0 done, 1 "
      "failure (the file removed), 2 bad usage, 130 interrupted.");
  command->callback([args, &exit_code] { exit_code = Export(*args); });
}

}  // namespace scenesaver::scenepack
