// A presentation window that shows nothing: it stands in until the SDL2 window is built, so the
// player links and runs its other modes. Its clock runs, and input never arrives.
#include <chrono>
#include <thread>

#include "platform/sdl/SdlShowHost.h"

namespace platform {
namespace {

class NullShowHost final : public ShowHost {
 public:
  std::uint32_t GetTickCount() override {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
  void DoEvents() override {}
  void WaitForEventsUntil(std::uint32_t tick) override {
    const std::uint32_t now = GetTickCount();
    if (static_cast<std::int32_t>(tick - now) > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(tick - now));
    }
  }
  void Refresh(const Surface&) override {}
  void SetInputHandlers(InputHandlers*) override {}
  Size PrimaryScreenSize() override { return {640, 480}; }
  void PlacePicture1(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
  void ShowWindow() override {}
  void MakeTopmost() override {}
  int ShowCursor(bool show) override { return cursor_ += show ? 1 : -1; }
  Point GetCursorPos() override { return {}; }
  void SetScreenSaverRunning(bool) override {}
  std::optional<std::string> LoadPicture(const std::string& path, Surface&) override {
    return path;
  }
  void MciSendString(std::string_view, std::string& reply) override { reply.clear(); }
  void PlaySound(std::string_view, std::uint32_t) override {}
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override { return std::nullopt; }
  PasswordVerdict VerifyScreenSavePwd() override { return PasswordVerdict::kAccepted; }
  void MessageBox(std::string_view, std::string_view, MessageIcon) override {}

 private:
  int cursor_ = 0;
};

}  // namespace

std::unique_ptr<ShowHost> MakeSdlShowHost() { return std::make_unique<NullShowHost>(); }

}  // namespace platform
