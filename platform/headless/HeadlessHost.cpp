#include "platform/headless/HeadlessHost.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <utility>

#include "platform/picture/PictureDecoder.h"

namespace scenesaver::platform {

namespace {

// True when `a` lies after `b` on the wrapping millisecond clock.
bool After(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; }

constexpr int kYieldsPerMillisecond = 16;

std::string FrameName(std::size_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06zu.png", index);
  return name;
}

// Writes the surface as an 8-bit RGB PNG file.
bool WritePng(const std::string& path, const raster::Surface& picture) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Width()) * picture.Height() * 3);
  std::size_t at = 0;
  for (const std::uint32_t c : picture.Pixels()) {  // 0x00BBGGRR
    rgb[at++] = static_cast<std::uint8_t>(c & 0xFF);
    rgb[at++] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
    rgb[at++] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.Width());
  image.height = static_cast<png_uint_32>(picture.Height());
  image.format = PNG_FORMAT_RGB;
  const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
  png_image_free(&image);
  return ok != 0;
}

}  // namespace

HeadlessHost::HeadlessHost(HeadlessOptions options)
    : options_(std::move(options)), audio_([this] { return now_; }) {
  std::sort(options_.quit_at_ms.begin(), options_.quit_at_ms.end());
  if (!options_.picture_loader) options_.picture_loader = DecodePicture;
  if (!options_.out_dir.empty()) {
    frames_csv_.open(options_.out_dir + "/frames.csv", std::ios::trunc);
    frames_csv_ << "index,tick_ms,file\n";
    output_ok_ = frames_csv_.good();
  }
}

HeadlessHost::~HeadlessHost() { FlushOutput(); }

bool HeadlessHost::FlushOutput() {
  if (!options_.out_dir.empty()) {
    if (!WriteAudioCsv(options_.out_dir + "/audio.csv", audio_.Calls())) output_ok_ = false;
    frames_csv_.flush();
    if (!frames_csv_.good()) output_ok_ = false;
  }
  return output_ok_;
}

std::optional<std::uint32_t> HeadlessHost::NextInputTick() const {
  std::optional<std::uint32_t> next;
  if (next_quit_ < options_.quit_at_ms.size()) next = options_.quit_at_ms[next_quit_];
  if (options_.until_ms) {
    const std::uint32_t past_until = *options_.until_ms + 1;
    if (!next || past_until < *next) next = past_until;
  }
  return next;
}

void HeadlessHost::DoEvents() {
  // On this clock only waits take time, so a show that yields without ever waiting (negative
  // display times and cuts) would hold it still and draw frames without end. A real machine
  // spends time on every yield: here each run of kYieldsPerMillisecond yields with no wait
  // between them counts one millisecond. No other show yields that often between two waits.
  if (++yields_without_wait_ >= kYieldsPerMillisecond) {
    yields_without_wait_ = 0;
    ++now_;
  }
  bool key = false;
  while (next_quit_ < options_.quit_at_ms.size() && options_.quit_at_ms[next_quit_] <= now_) {
    ++next_quit_;
    key = true;
  }
  if (options_.until_ms && now_ > *options_.until_ms) key = true;
  if (key && handlers_ != nullptr) handlers_->KeyDown();
}

void HeadlessHost::WaitForEventsUntil(std::uint32_t tick) {
  yields_without_wait_ = 0;
  // Scripted input wakes the wait early, as a real key press would.
  if (const auto input = NextInputTick(); input && After(*input, now_) && After(tick, *input)) {
    tick = *input;
  }
  if (After(tick, now_)) now_ = tick;
}

void HeadlessHost::Refresh(const raster::Surface& picture1) {
  const std::size_t index = frames_.size();
  HeadlessFrame& frame = frames_.emplace_back();
  frame.tick_ms = now_;
  if (options_.keep_frames) frame.picture = picture1;
  if (!options_.out_dir.empty()) WriteFrame(picture1, index);
  if (options_.frame_sink) options_.frame_sink(picture1, now_);
}

void HeadlessHost::WriteFrame(const raster::Surface& picture1, std::size_t index) {
  std::string file;
  if (options_.write_png) {
    file = FrameName(index);
    if (!WritePng(options_.out_dir + "/" + file, picture1)) output_ok_ = false;
  }
  frames_csv_ << index << ',' << now_ << ',' << file << '\n';
  if (!frames_csv_.good()) output_ok_ = false;
}

void HeadlessHost::PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t /*width*/,
                                 std::int32_t /*height*/) {
  picture1_position_ = {left, top};
}

base::Result<raster::Surface> HeadlessHost::LoadPicture(const std::string& path) {
  return options_.picture_loader(path);
}

void HeadlessHost::MciSendString(std::string_view command, std::string& reply) {
  sound_calls_.push_back({now_, "mci", std::string(command), 0});
  audio_.MciSendString(command, reply);
}

void HeadlessHost::PlaySound(std::string_view name, std::uint32_t flags) {
  sound_calls_.push_back({now_, "PlaySound", std::string(name), flags});
  audio_.PlaySound(name, flags);
}

PasswordVerdict HeadlessHost::VerifyScreenSavePwd() {
  prompts_.push_back({now_, messages_.size(), frames_.size(), window_shown_, cursor_count_});
  if (next_verdict_ < options_.verdicts.size()) return options_.verdicts[next_verdict_++];
  return PasswordVerdict::kAccepted;
}

void HeadlessHost::MessageBox(std::string_view text, std::string_view caption,
                              MessageIcon /*icon*/) {
  messages_.emplace_back(text);
  std::cerr << caption << ": " << text << '\n';
}

}  // namespace scenesaver::platform
