// A video file being written: the container chosen by the file's extension, its video stream
// fed with frames of 0x00BBGGRR pixels, its audio stream (where the container has one) with
// 48 kHz stereo samples.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace scenesaver::scenepack {

enum class Container { kMp4, kWebm, kMkv, kGif, kWebp };

// From the extension (case-blind); nullopt for any other.
std::optional<Container> ContainerForPath(const std::string& path);
// ".mp4, .webm, .mkv, .gif, .webp", for messages.
std::string KnownVideoExtensions();
// GIF and WebP have no sound.
bool ContainerHasAudio(Container container);
// The codecs' 4:2:0 chroma needs even frame sizes.
bool ContainerNeedsEvenSize(Container container);
// The quality scale's default and range for --crf.
int DefaultCrf(Container container);
int MaxCrf(Container container);

struct MediaSettings {
  int width = 0;
  int height = 0;
  int fps = 30;
  int crf = 23;
  bool audio = true;
};

class MediaWriter {
 public:
  // Writes into the file at `path`; messages name the file as `shown_name`. On failure the
  // reason.
  static std::variant<std::unique_ptr<MediaWriter>, std::string> Open(
      const std::string& path, const std::string& shown_name, Container container,
      const MediaSettings& settings);
  ~MediaWriter();
  MediaWriter(const MediaWriter&) = delete;
  MediaWriter& operator=(const MediaWriter&) = delete;

  // One frame: width x height pixels, rows `stride` pixels apart. nullopt or the reason.
  std::optional<std::string> WriteVideo(const std::uint32_t* pixels, int stride);
  // The last frame once more (a held picture), without converting it again.
  std::optional<std::string> RepeatVideo();
  // Interleaved stereo samples; ignored without an audio stream.
  std::optional<std::string> WriteAudio(std::span<const float> samples);
  // Drains the encoders and completes the file.
  std::optional<std::string> Finish();

 private:
  struct Impl;
  explicit MediaWriter(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace scenesaver::scenepack
