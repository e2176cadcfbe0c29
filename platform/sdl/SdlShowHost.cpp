#include "platform/sdl/SdlShowHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/picture/PictureDecoder.h"
#include "platform/posix/LockState.h"
#include "platform/sdl/CoverWindows.h"
#include "platform/sdl/ForeignWindow.h"
#include "platform/sdl/GtkDialogs.h"
#include "platform/sdl/InputGrabs.h"
#include "platform/sdl/PicturePresenter.h"
#include "platform/sdl/PresentationWindow.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlPasswordPrompt.h"
#include "platform/sdl/ShowClock.h"
#include "platform/sdl/TerminationSignals.h"
#include "platform/sdl/X11Display.h"
#include "platform/sdl/XConnectionLoss.h"

namespace scenesaver::platform {

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
    // No pointer grab of SDL's own while a button is down: letting it go at the release would
    // let the locked show's own pointer grab go with it.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // X11 only: the grabs, the covers and the foreign window are X11's, and without an X
    // display SDL would fall back to a driver that shows nothing, so that the show would run
    // unseen. (SDL_VIDEODRIVER in the environment still chooses another.)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      if (const X11DisplayConnection x; x.Problem()) throw std::runtime_error(*x.Problem());
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
  explicit SdlShowHost(SdlShowOptions options)
      : options_(std::move(options)),
        x_errors_(std::make_unique<XErrorTrap>()),
        lock_(FullScreen() ? ReadLockState() : LockState{}) {
    if (!lock_.warning.empty()) std::fprintf(stderr, "scenesaver: %s\n", lock_.warning.c_str());
    if (!options_.present_log.empty()) {
      present_log_.reset(std::fopen(options_.present_log.c_str(), "w"));
    }
    int x = 0;
    int y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    cursor_ = {x, y};
    // The window and its renderer are made hidden now, so that a show with nowhere to draw
    // fails here, before it starts, rather than leave a failure message and a password prompt
    // to a window that does not exist. A trial window waits for the picture's size.
    if (options_.mode != SdlWindowMode::kWindowed) {
      if (base::Result<void> opened = OpenWindow(); !opened) {
        throw std::runtime_error(opened.error());
      }
    }
  }

  std::uint32_t GetTickCount() override { return clock_.Ticks(); }
  std::optional<std::int64_t> GetMicroseconds() override { return clock_.Microseconds(); }

  void DoEvents() override {
    ProbeForeignWindowNowAndThen();
    if (TerminationSignals::Raised() || XErrorTrap::WindowLost()) Terminate();
    if (grabs_) grabs_->Hold();
    if (pending_) Dispatch(*std::exchange(pending_, std::nullopt));
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) Dispatch(event);
  }

  void WaitForEventsUntil(std::uint32_t tick) override {
    while (!pending_ && !TerminationSignals::Raised() && !XErrorTrap::WindowLost()) {
      ProbeForeignWindowNowAndThen();
      if (grabs_) grabs_->Hold();
      const Uint32 now = clock_.Ticks();
      if (!After(tick, now)) return;
      const Uint32 slice = std::min<Uint32>(tick - now, kLongestWaitSliceMs);
      SDL_Event event;
      if (SDL_WaitEventTimeout(&event, static_cast<int>(slice)) != 0) pending_ = event;
    }
  }

  void Refresh(const raster::Surface& picture1) override {
    RefreshChanged(picture1, {0, 0, picture1.Width(), picture1.Height()});
  }

  void RefreshChanged(const raster::Surface& picture1, const Rect& changed) override {
    if (!presenter_ || XErrorTrap::WindowLost()) return;
    const double started = clock_.Milliseconds();
    presenter_->Show(picture1, changed);
    if (present_log_) {
      std::fprintf(present_log_.get(), "%.3f %.3f\n", started, clock_.Milliseconds());
      std::fflush(present_log_.get());  // readable while the show runs
    }
    const Uint32 now = clock_.Ticks();
    if (topmost_ && now - last_raise_ >= kRaiseIntervalMs) {
      SDL_RaiseWindow(window_.get());
      if (covers_) covers_->Raise();
      last_raise_ = now;
    }
  }

  void SetInputHandlers(InputHandlers* handlers) override { handlers_ = handlers; }

  Size PrimaryScreenSize() override {
    // Outside full-screen mode the show's "screen" is its window.
    if (!FullScreen() && presenter_) return presenter_->OutputSize();
    SDL_DisplayMode mode{};
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return {};
    return {mode.w, mode.h};
  }

  // The presenter centres and scales the picture itself; only its size matters here.
  void PlacePicture1(std::int32_t /*left*/, std::int32_t /*top*/, std::int32_t width,
                     std::int32_t height) override {
    picture1_size_ = {width, height};
  }

  base::Result<void> ShowWindow() override {
    if (shown_) {
      SDL_ShowWindow(window_.get());
      return {};
    }
    if (!window_) {
      if (base::Result<void> opened = OpenWindow(); !opened) return opened;
    }
    shown_ = true;
    ApplyCursorCount();
    Present();
    if (options_.mode != SdlWindowMode::kForeign) SDL_ShowWindow(window_.get());
    Present();
    if (FullScreen()) {
      covers_.emplace(window_.get());
      covers_->CoverCurrentDisplays();
    }
    KeepInFront();
    return {};
  }

  // Everything ShowWindow does but the picture, which nothing has yet: the show's window black
  // on the primary display, the covers on the others, the input held, all in front; the X
  // server keeps them black by itself while the show reads its package.
  bool CoverScreens() override {
    if (!FullScreen() || !lock_.in_use || !ShowWindow()) return false;
    MakeTopmost();
    BlackUnderneath(window_.get());
    return true;
  }

  void MakeTopmost() override {
    if (!window_ || !FullScreen()) return;
    SDL_SetWindowAlwaysOnTop(window_.get(), SDL_TRUE);
    SDL_RaiseWindow(window_.get());
    topmost_ = true;
    last_raise_ = clock_.Ticks();
  }

  int ShowCursor(bool show) override {
    cursor_count_ += show ? 1 : -1;
    ApplyCursorCount();
    return cursor_count_;
  }

  Point GetCursorPos() override { return cursor_; }

  // Linux has no system-wide screen-saver-running state to set.
  void SetScreenSaverRunning(bool /*running*/) override {}

  base::Result<raster::Surface> LoadPicture(const std::string& path) override {
    return DecodePicture(path);
  }

  void MciSendString(std::string_view command, std::string& reply) override {
    Audio().MciSendString(command, reply);
  }

  void PlaySound(std::string_view name, std::uint32_t flags) override {
    Audio().PlaySound(name, flags);
  }

  // As read when the show started. A show ended by a signal asks nothing.
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override {
    if (!FullScreen() || terminating_ || TerminationSignals::Raised()) return std::nullopt;
    return lock_.in_use ? 1 : 0;
  }

  PasswordVerdict VerifyScreenSavePwd() override {
    if (!renderer_) {
      // No window was ever made, so nothing covers the desktop and no prompt could be seen:
      // waiting for a password would only keep the process from ending.
      std::fputs("scenesaver: no window to ask the password in\n", stderr);
      return PasswordVerdict::kAccepted;
    }
    PasswordPromptParts parts;
    parts.draw_backdrop = [this] { presenter_->DrawWithRenderer(); };
    parts.terminating = [] { return TerminationSignals::Raised(); };
    parts.keep_in_front = [this](const SDL_Event* event) {
      if (!grabs_) return;
      if (event != nullptr && grabs_->Classify(*event) != InputGrabs::Displacement::kNone) {
        grabs_->Restore();
      }
      grabs_->Hold();
    };
    const PasswordVerdict verdict = RunPasswordPrompt(renderer_.get(), prompt_state_, parts);
    // The prompt may have drawn over the whole window; show the presentation again, and
    // forget where the cursor went meanwhile.
    Present();
    pending_.reset();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return verdict;
  }

  // The message replaces the show, which it ends.
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override {
    // Inside another program's window the message goes to the log: hiding or covering that
    // window is not ours to do.
    if (options_.mode == SdlWindowMode::kForeign) {
      // One line: each line break of the message becomes a blank.
      std::string line;
      for (const char c : text) {
        const bool is_break = c == '\r' || c == '\n';
        if (!is_break) {
          line += c;
        } else if (!line.empty() && line.back() != ' ') {
          line += ' ';
        }
      }
      std::fprintf(stderr, "scenesaver: %.*s: %s\n", static_cast<int>(caption.size()),
                   caption.data(), line.c_str());
      return;
    }
    // The show is over: its last picture goes. With the password in use the window stays up,
    // black, beneath the message, so that the desktop shows only after the password; it leaves
    // the top to the message box until the show raises it again.
    if (presenter_) presenter_->Blank();
    // The message is another connection's window and needs the input: a locked show hands its
    // grabs over to that connection, which is started first, so that they are let go only for
    // the moment between the two grabs.
    const bool locked = grabs_.has_value();
    EnsureGtk();
    grabs_.reset();
    if (window_ && ReadScreenSaveUsePassword().value_or(0) != 0) {
      Present();
      SDL_SetWindowAlwaysOnTop(window_.get(), SDL_FALSE);
      topmost_ = false;
    } else if (window_) {
      SDL_HideWindow(window_.get());
    }
    GtkMessageBox(
        text, caption, icon, [] { return TerminationSignals::Raised(); }, locked);
    x_connection_loss_.Reinstall();
    KeepInFront();
  }

 private:
  // The window, hidden, with its renderer and presenter; the reason when there is none.
  base::Result<void> OpenWindow() {
    const Size screen = PrimaryScreenSize();
    // Made hidden and shown once its renderer is ready, so that it appears black at once.
    window_.reset(OpenPresentationWindow(options_, {screen.width, screen.height},
                                         {picture1_size_.width, picture1_size_.height}));
    if (!window_) return base::Error{std::string("SDL window: ") + SDL_GetError()};
    renderer_.reset(OpenPresentationRenderer(window_.get(), options_.mode));
    if (!renderer_) {
      const std::string reason = std::string("SDL renderer: ") + SDL_GetError();
      window_.reset();
      return base::Error{reason};
    }
    presenter_.emplace(window_.get(), renderer_.get(), options_.scale, true);
    return {};
  }

  // A signal ends the show as input would, and without the password.
  void Terminate() {
    terminating_ = true;
    if (handlers_ != nullptr) handlers_->KeyDown();
  }

  // A destroyed window does not always announce itself; ask about it every wait slice.
  void ProbeForeignWindowNowAndThen() {
    if (!window_) return;
    const Uint32 now = clock_.Ticks();
    if (now - last_probe_ < kLongestWaitSliceMs) return;
    last_probe_ = now;
    ProbeForeignWindow(window_.get());
  }

  bool FullScreen() const { return options_.mode == SdlWindowMode::kFullScreen; }

  // With the password in use, the full-screen show holds the input and stays in front.
  void KeepInFront() {
    if (!window_ || !FullScreen() || !lock_.in_use || grabs_) return;
    grabs_.emplace(window_.get());
    grabs_->Hold();
  }

  // In the full-screen show, closing, unmapping or iconifying its window is input: with the
  // password in use it brings the prompt (and the window comes back), else it ends the show.
  void WindowTakenAway() {
    const bool blank = presenter_ && presenter_->IsBlank();
    if (FullScreen() && !blank && handlers_ != nullptr) {
      handlers_->KeyDown();
    } else if (!FullScreen()) {
      Terminate();
    }
  }

  void Dispatch(const SDL_Event& event) {
    // Input ends only the saver's own show; a trial window or a foreign one ignores it.
    const bool input_ends_show = FullScreen() && handlers_ != nullptr;
    if (grabs_) {
      // Held again at once after each event: SDL may have let the grabs go while handling it.
      const InputGrabs::Displacement displacement = grabs_->Classify(event);
      if (displacement != InputGrabs::Displacement::kNone) {
        grabs_->Restore();
      } else {
        grabs_->Hold();
      }
      // A key or button that went past the show's window while another had the focus.
      if (displacement == InputGrabs::Displacement::kMisdirected && input_ends_show) {
        handlers_->KeyDown();
      }
    }
    switch (event.type) {
      case SDL_KEYDOWN:
        if (input_ends_show) handlers_->KeyDown();
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (input_ends_show) handlers_->MouseDown();
        break;
      case SDL_MOUSEMOTION:
        cursor_ = ScreenPosition(event.motion.windowID, event.motion.x, event.motion.y);
        if (input_ends_show) handlers_->MouseMove();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE ||
            (FullScreen() && (event.window.event == SDL_WINDOWEVENT_HIDDEN ||
                              event.window.event == SDL_WINDOWEVENT_MINIMIZED))) {
          WindowTakenAway();
        } else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          if (presenter_ && !XErrorTrap::WindowLost()) presenter_->WindowResized();
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
          Present();
        }
        break;
      case SDL_DISPLAYEVENT:
        // A display came or went: cover the displays there are now.
        if (covers_) covers_->CoverCurrentDisplays();
        break;
      case SDL_SYSWMEVENT:
        if (IsDestructionOf(event, window_.get())) Terminate();
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

  // Motion comes in the coordinates of the window it happened in (the show's or a cover);
  // the mouse-move rule compares screen positions.
  Point ScreenPosition(Uint32 window_id, int x, int y) const {
    int left = 0;
    int top = 0;
    if (SDL_Window* window = SDL_GetWindowFromID(window_id)) {
      SDL_GetWindowPosition(window, &left, &top);
    }
    return {left + x, top + y};
  }

  void Present() {
    if (!presenter_ || XErrorTrap::WindowLost()) return;
    presenter_->Redraw();
  }

  // Only the saver's own show hides the cursor.
  void ApplyCursorCount() {
    if (FullScreen()) SDL_ShowCursor(cursor_count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  }

  SdlAudio& Audio() {
    if (!audio_) audio_.emplace();
    return *audio_;
  }

  SdlShowOptions options_;
  ShowClock clock_;
  TerminationSignals signals_;
  // Installed before SDL's video starts, so that SDL's own X error handler passes errors on to
  // it rather than to Xlib's default, which ends the process: a destroyed window ends the show.
  std::unique_ptr<XErrorTrap> x_errors_;
  XConnectionLoss x_connection_loss_;
  SdlVideo video_;
  // The password's use and the stored password, read once as the show starts.
  LockState lock_;
  std::unique_ptr<SDL_Window, WindowDestroyer> window_;
  std::unique_ptr<SDL_Renderer, RendererDestroyer> renderer_;
  std::optional<PicturePresenter> presenter_;
  std::optional<CoverWindows> covers_;
  Size picture1_size_{};
  std::optional<InputGrabs> grabs_;
  std::optional<SdlAudio> audio_;
  std::unique_ptr<std::FILE, FileCloser> present_log_;
  InputHandlers* handlers_ = nullptr;
  std::optional<SDL_Event> pending_;  // an event a wait took off the queue
  Point cursor_{};
  int cursor_count_ = 0;
  Uint32 last_raise_ = 0;
  Uint32 last_probe_ = 0;
  bool topmost_ = false;
  bool shown_ = false;
  bool terminating_ = false;
  // Outlives each prompt, so that a lock-out after a refusal holds in the next one too.
  PasswordPromptState prompt_state_{
      [this](std::string_view entry) { return lock_.password.Verify(entry); },
      [] { return SDL_GetTicks(); }};
};

}  // namespace

base::Result<std::unique_ptr<ShowHost>> MakeSdlShowHost(SdlShowOptions options) {
  try {
    return std::unique_ptr<ShowHost>(std::make_unique<SdlShowHost>(std::move(options)));
  } catch (const std::exception& failure) {
    return base::Error{failure.what()};
  }
}

base::Result<std::unique_ptr<ShowHost>> MakeSdlShowHost() {
  return MakeSdlShowHost(SdlShowOptions{});
}

}  // namespace scenesaver::platform
