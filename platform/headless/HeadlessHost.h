// The show without a display: a virtual clock that starts at 0 and moves only while the show
// waits, every refresh of Picture1 recorded as a frame (optionally a PNG file), and the sound
// calls logged against that clock. Tests and `scenepack render` run the show on it.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ShowHost.h"
#include "platform/headless/HeadlessAudio.h"
#include "raster/Surface.h"

namespace scenesaver::platform {

using PictureLoader = std::function<base::Result<raster::Surface>(const std::string&)>;

struct HeadlessOptions {
  // Folder for frame-NNNNNN.png, frames.csv and audio.csv; empty: no files are written.
  std::string out_dir;
  bool write_png = true;
  // Keeps a copy of every refreshed Picture1 in memory (for tests).
  bool keep_frames = false;
  // Once the clock has passed this tick, every yield raises quit as a key press would.
  std::optional<std::uint32_t> until_ms;
  // Each tick raises quit once, at the first yield at or after it (as a key press would).
  std::vector<std::uint32_t> quit_at_ms;
  Size screen{1024, 768};
  // The per-user "ScreenSaveUsePassword" value; nullopt reads as not set.
  std::optional<std::uint32_t> use_password;
  // Answers of the password prompt, one per prompt; when they run out it accepts.
  std::vector<PasswordVerdict> verdicts;
  // Decodes picture files; the default is the real decoder.
  PictureLoader picture_loader;
  // Receives every refreshed Picture1 with the tick it was shown at, as it happens (for a
  // consumer that streams the frames instead of keeping them).
  std::function<void(const raster::Surface&, std::uint32_t)> frame_sink;
};

// A sound call as the show made it.
struct SoundCall {
  std::uint32_t tick_ms = 0;
  std::string call;  // "mci" or "PlaySound"
  std::string text;  // the command string or the sound name
  std::uint32_t flags = 0;
};

// What stood around one password prompt when it opened.
struct PromptRecord {
  std::uint32_t tick_ms = 0;
  std::size_t messages_before = 0;  // message boxes shown until then
  std::size_t frames_before = 0;    // frames refreshed until then (the last one lies beneath)
  bool window_shown = false;
  int cursor_count = 0;
};

struct HeadlessFrame {
  std::uint32_t tick_ms = 0;
  raster::Surface picture;  // empty unless keep_frames
};

class HeadlessHost final : public ShowHost {
 public:
  explicit HeadlessHost(HeadlessOptions options);
  ~HeadlessHost() override;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  std::uint32_t GetTickCount() override { return now_; }
  void DoEvents() override;
  void WaitForEventsUntil(std::uint32_t tick) override;
  void Refresh(const raster::Surface& picture1) override;

  void SetInputHandlers(InputHandlers* handlers) override { handlers_ = handlers; }
  Size PrimaryScreenSize() override { return options_.screen; }
  void PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height) override;
  base::Result<void> ShowWindow() override {
    window_shown_ = true;
    return {};
  }
  void MakeTopmost() override { topmost_ = true; }
  int ShowCursor(bool show) override { return cursor_count_ += show ? 1 : -1; }
  Point GetCursorPos() override { return cursor_; }
  void SetScreenSaverRunning(bool running) override { screen_saver_running_ = running; }
  base::Result<raster::Surface> LoadPicture(const std::string& path) override;
  void MciSendString(std::string_view command, std::string& reply) override;
  void PlaySound(std::string_view name, std::uint32_t flags) override;
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override {
    return options_.use_password;
  }
  PasswordVerdict VerifyScreenSavePwd() override;
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;

  // What the show did, for tests and the render tool.
  const std::vector<HeadlessFrame>& Frames() const { return frames_; }
  const std::vector<SoundCall>& SoundCalls() const { return sound_calls_; }
  const std::vector<AudioCall>& AudioCalls() const { return audio_.Calls(); }
  const std::vector<std::string>& Messages() const { return messages_; }
  int CursorCount() const { return cursor_count_; }
  bool ScreenSaverRunning() const { return screen_saver_running_; }
  bool WindowShown() const { return window_shown_; }
  int PasswordPrompts() const { return static_cast<int>(prompts_.size()); }
  const std::vector<PromptRecord>& Prompts() const { return prompts_; }
  Point Picture1Position() const { return picture1_position_; }
  // Writes audio.csv and flushes frames.csv (also done on destruction); false when a frame or
  // a log could not be written.
  bool FlushOutput();
  // Moves the end of the show: once the clock has passed `tick`, every yield raises quit.
  void EndAfter(std::uint32_t tick) { options_.until_ms = tick; }

 private:
  std::optional<std::uint32_t> NextInputTick() const;
  void WriteFrame(const raster::Surface& picture1, std::size_t index);

  HeadlessOptions options_;
  std::uint32_t now_ = 0;
  // Yields since the last wait; see DoEvents.
  int yields_without_wait_ = 0;
  InputHandlers* handlers_ = nullptr;
  std::size_t next_quit_ = 0;  // index into the sorted quit_at_ms
  HeadlessAudio audio_;
  std::ofstream frames_csv_;
  std::vector<HeadlessFrame> frames_;
  std::vector<SoundCall> sound_calls_;  // as the show made them, for tests
  std::vector<std::string> messages_;
  std::size_t next_verdict_ = 0;
  std::vector<PromptRecord> prompts_;
  int cursor_count_ = 0;
  Point cursor_{};
  Point picture1_position_{};
  bool screen_saver_running_ = false;
  bool window_shown_ = false;
  bool topmost_ = false;
  bool output_ok_ = true;
};

}  // namespace scenesaver::platform
