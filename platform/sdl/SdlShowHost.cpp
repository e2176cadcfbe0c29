#include "platform/sdl/SdlShowHost.h"

#include <SDL.h>

#include <cstdio>
#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/picture/PictureDecoder.h"
#include "platform/posix/UserConfig.h"
#include "platform/sdl/GtkDialogs.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlPasswordPrompt.h"
#include "platform/sdl/TerminationSignals.h"

namespace platform {

namespace {

// How long one blocking wait may last, so that a termination signal is seen promptly.
constexpr Uint32 kLongestWaitSliceMs = 200;
// The window is raised again at most this often, in case another window has covered it.
constexpr Uint32 kRaiseIntervalMs = 1000;

struct WindowDestroyer {
  void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct RendererDestroyer {
  void operator()(SDL_Renderer* renderer) const { SDL_DestroyRenderer(renderer); }
};
struct TextureDestroyer {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// SDL's video subsystem for the host's lifetime. SDL's own signal handlers stay out: the host
// has its own for SIGTERM, SIGINT and SIGHUP.
class SdlVideo {
 public:
  SdlVideo() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      throw std::runtime_error(std::string("SDL video: ") + SDL_GetError());
    }
  }
  ~SdlVideo() { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;
};

bool After(Uint32 a, Uint32 b) { return static_cast<Sint32>(a - b) > 0; }

class SdlShowHost final : public ShowHost {
 public:
  explicit SdlShowHost(SdlShowOptions options) : options_(std::move(options)) {
    if (!options_.present_log.empty()) {
      present_log_.reset(std::fopen(options_.present_log.c_str(), "w"));
    }
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    cursor_ = {x, y};
  }

  std::uint32_t GetTickCount() override { return SDL_GetTicks(); }

  void DoEvents() override {
    if (TerminationSignals::Raised()) Terminate();
    if (pending_) Dispatch(*std::exchange(pending_, std::nullopt));
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Dispatch(event);
  }

  void WaitForEventsUntil(std::uint32_t tick) override {
    while (!pending_ && !TerminationSignals::Raised()) {
      const Uint32 now = SDL_GetTicks();
      if (!After(tick, now)) return;
      const Uint32 slice = std::min<Uint32>(tick - now, kLongestWaitSliceMs);
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, static_cast<int>(slice)) != 0) pending_ = event;
    }
  }

  void Refresh(const Surface& picture1) override {
    if (!renderer_) return;
    const Uint32 started = SDL_GetTicks();
    if (!texture_ || texture_width_ != picture1.Width() || texture_height_ != picture1.Height()) {
      texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_XBGR8888,
                                       SDL_TEXTUREACCESS_STREAMING, picture1.Width(),
                                       picture1.Height()));
      texture_width_ = picture1.Width();
      texture_height_ = picture1.Height();
    }
    if (texture_ && picture1.Width() > 0 && picture1.Height() > 0) {
      SDL_UpdateTexture(texture_.get(), nullptr, picture1.Pixels().data(),
                        picture1.Width() * static_cast<int>(sizeof(std::uint32_t)));
    }
    Present();
    const Uint32 now = SDL_GetTicks();
    if (present_log_) std::fprintf(present_log_.get(), "%u %u\n", started, now);
    if (topmost_ && now - last_raise_ >= kRaiseIntervalMs) {
      SDL_RaiseWindow(window_.get());
      last_raise_ = now;
    }
  }

  void SetInputHandlers(InputHandlers* handlers) override { handlers_ = handlers; }

  Size PrimaryScreenSize() override {
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h};
  }

  void PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height) override {
    picture1_ = {left, top, width, height};
  }

  void ShowWindow() override {
    if (window_) {
      SDL_ShowWindow(window_.get());
      return;
    }
    const Size screen = PrimaryScreenSize();
    // Made hidden and shown once its renderer is ready, so that it appears black at once.
    window_.reset(SDL_CreateWindow(
        "scenesaver", 0, 0, screen.width, screen.height,
        SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_HIDDEN));
    if (!window_) throw std::runtime_error(std::string("SDL window: ") + SDL_GetError());
    // Under Xvfb the default (OpenGL on the software rasteriser) presents a full screen in about
    // 8 ms, SDL's software renderer in about 18 ms; the latter remains as a fallback.
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!renderer_) throw std::runtime_error(std::string("SDL renderer: ") + SDL_GetError());
    ApplyCursorCount();
    Present();
    SDL_ShowWindow(window_.get());
    Present();
  }

  void MakeTopmost() override {
    if (!window_) return;
    SDL_SetWindowAlwaysOnTop(window_.get(), SDL_TRUE);
    SDL_RaiseWindow(window_.get());
    topmost_ = true;
    last_raise_ = SDL_GetTicks();
  }

  int ShowCursor(bool show) override {
    cursor_count_ += show ? 1 : -1;
    ApplyCursorCount();
    return cursor_count_;
  }

  Point GetCursorPos() override { return cursor_; }

  void SetScreenSaverRunning(bool running) override { screen_saver_running_ = running; }

  std::optional<std::string> LoadPicture(const std::string& path, Surface& out) override {
    return DecodePicture(path, out);
  }

  void MciSendString(std::string_view command, std::string& reply) override {
    Audio().MciSendString(command, reply);
  }

  void PlaySound(std::string_view name, std::uint32_t flags) override {
    Audio().PlaySound(name, flags);
  }

  // A show ended by a signal asks nothing.
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override {
    if (terminating_ || TerminationSignals::Raised()) return std::nullopt;
    return platform::ReadScreenSaveUsePassword();
  }

  PasswordVerdict VerifyScreenSavePwd() override {
    if (!renderer_) return PasswordVerdict::kRefused;
    PasswordPromptParts parts;
    parts.draw_backdrop = [this] { Draw(); };
    parts.terminating = [] { return TerminationSignals::Raised(); };
    const PasswordVerdict verdict = RunPasswordPrompt(renderer_.get(), parts);
    // The prompt may have drawn over the whole window; show the presentation again, and
    // forget where the cursor went meanwhile.
    Present();
    pending_.reset();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return verdict;
  }

  // The message replaces the show, which it ends.
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override {
    if (window_) SDL_HideWindow(window_.get());
    GtkMessageBox(text, caption, icon);
  }

 private:
  // A signal ends the show as input would, and without the password.
  void Terminate() {
    terminating_ = true;
    if (handlers_ != nullptr) handlers_->KeyDown();
  }

  void Dispatch(const SDL_Event& event) {
    switch (event.type) {
      case SDL_KEYDOWN:
        if (handlers_ != nullptr) handlers_->KeyDown();
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (handlers_ != nullptr) handlers_->MouseDown();
        break;
      case SDL_MOUSEMOTION:
        // The window starts at the screen's top-left pixel: window and screen agree.
        cursor_ = {event.motion.x, event.motion.y};
        if (handlers_ != nullptr) handlers_->MouseMove();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) Present();
        break;
      case SDL_QUIT:
        // A close request from the window manager is input like any other: it must not pass
        // the password by.
        if (handlers_ != nullptr) handlers_->KeyDown();
        break;
      default:
        break;
    }
  }

  void Draw() {
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 0xFF);
    SDL_RenderClear(renderer_.get());
    if (texture_) SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &picture1_);
  }

  void Present() {
    if (!renderer_) return;
    Draw();
    SDL_RenderPresent(renderer_.get());
  }

  void ApplyCursorCount() { SDL_ShowCursor(cursor_count_ >= 0 ? SDL_ENABLE : SDL_DISABLE); }

  SdlAudio& Audio() {
    if (!audio_) audio_.emplace();
    return *audio_;
  }

  SdlShowOptions options_;
  TerminationSignals signals_;
  SdlVideo video_;
  std::unique_ptr<SDL_Window, WindowDestroyer> window_;
  std::unique_ptr<SDL_Renderer, RendererDestroyer> renderer_;
  std::unique_ptr<SDL_Texture, TextureDestroyer> texture_;
  int texture_width_ = 0;
  int texture_height_ = 0;
  SDL_Rect picture1_{};
  std::optional<SdlAudio> audio_;
  std::unique_ptr<std::FILE, FileCloser> present_log_;
  InputHandlers* handlers_ = nullptr;
  std::optional<SDL_Event> pending_;  // an event a wait took off the queue
  Point cursor_{};
  int cursor_count_ = 0;
  Uint32 last_raise_ = 0;
  bool topmost_ = false;
  bool terminating_ = false;
  bool screen_saver_running_ = false;
};

}  // namespace

std::unique_ptr<ShowHost> MakeSdlShowHost(SdlShowOptions options) {
  try {
    return std::make_unique<SdlShowHost>(std::move(options));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "scenesaver: %s\n", failure.what());
    return nullptr;
  }
}

std::unique_ptr<ShowHost> MakeSdlShowHost() { return MakeSdlShowHost(SdlShowOptions{}); }

}  // namespace platform
