// A ShowHost for tests: a clock that moves 10 ms on every reading and every wait, no input,
// no pictures unless given one; records the calls a test may want to look at.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ShowHost.h"

namespace scenesaver::testing_support {

class FakeShowHost final : public platform::ShowHost {
 public:
  std::uint32_t GetTickCount() override { return tick += 10; }
  void DoEvents() override { ++yields; }
  void WaitForEventsUntil(std::uint32_t until) override {
    if (static_cast<std::int32_t>(until - tick) > 0) tick = until;
  }
  void Refresh(const raster::Surface&) override { ++refreshes; }
  void SetInputHandlers(platform::InputHandlers* handlers) override { input = handlers; }
  platform::Size PrimaryScreenSize() override { return screen; }
  void PlacePicture1(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  base::Result<void> ShowWindow() override {
    if (window_failure) return base::Error{*window_failure};
    ++windows_shown;
    return {};
  }
  void MakeTopmost() override {}
  int ShowCursor(bool show) override { return cursor_count += show ? 1 : -1; }
  platform::Point GetCursorPos() override { return cursor; }
  void SetScreenSaverRunning(bool running) override { screen_saver_running = running; }
  base::Result<raster::Surface> LoadPicture(const std::string& path) override {
    loaded_pictures.push_back(path);
    if (picture) return *picture;
    return base::Error{path};  // decoding is not this fake's business
  }
  void MciSendString(std::string_view command, std::string& reply) override {
    mci_commands.emplace_back(command);
    reply.clear();
  }
  void PlaySound(std::string_view name, std::uint32_t) override { sounds.emplace_back(name); }
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override { return use_password; }
  platform::PasswordVerdict VerifyScreenSavePwd() override {
    ++password_prompts;
    if (refusals_left > 0) {
      --refusals_left;
      return platform::PasswordVerdict::kRefused;
    }
    return platform::PasswordVerdict::kAccepted;
  }
  void MessageBox(std::string_view text, std::string_view, platform::MessageIcon) override {
    messages.emplace_back(text);
  }

  std::uint32_t tick = 0;
  platform::Size screen{640, 480};
  platform::Point cursor{};
  platform::InputHandlers* input = nullptr;
  std::optional<std::uint32_t> use_password;
  // What every picture decodes to; none: every decoding fails.
  std::optional<raster::Surface> picture;
  // Why no window can be shown; none: it can.
  std::optional<std::string> window_failure;
  int yields = 0;
  int refreshes = 0;
  int windows_shown = 0;
  int cursor_count = 0;
  int password_prompts = 0;
  int refusals_left = 0;  // prompts refused before one is accepted
  bool screen_saver_running = false;
  std::vector<std::string> loaded_pictures;
  std::vector<std::string> mci_commands;
  std::vector<std::string> sounds;
  std::vector<std::string> messages;
};

}  // namespace scenesaver::testing_support
