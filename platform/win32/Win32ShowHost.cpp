#include "platform/win32/Win32ShowHost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/win32/AnsiText.h"
#include "platform/win32/ComObjects.h"
#include "platform/win32/MciLog.h"
#include "platform/win32/MessageBoxes.h"
#include "platform/win32/MonitorCovers.h"
#include "platform/win32/PresentedFrame.h"
#include "platform/win32/ScaleSetting.h"
#include "platform/win32/ScreenSaverPassword.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32PictureDecoder.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

namespace {

constexpr const wchar_t* kWindowClassName = L"scenesaver.Form1";
constexpr UINT kSetScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING
constexpr DWORD kMciReplyLength = 256;
// How long one wait of the preview may last, so that the parent window's going is seen soon.
constexpr DWORD kPreviewWaitSliceMs = 200;

bool After(DWORD a, DWORD b) { return static_cast<LONG>(a - b) > 0; }

// The window class, registered for the owner's lifetime.
class WindowClass {
 public:
  WindowClass(HINSTANCE instance, WNDPROC procedure) : instance_(instance) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = procedure;
    description.hInstance = instance;
    description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = nullptr;  // every pixel is painted by WM_PAINT
    description.lpszClassName = kWindowClassName;
    if (::RegisterClassExW(&description) == 0) {
      throw std::runtime_error("the presentation window class cannot be registered");
    }
  }
  ~WindowClass() { ::UnregisterClassW(kWindowClassName, instance_); }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

 private:
  HINSTANCE instance_;
};

class UniqueWindow {
 public:
  UniqueWindow() = default;
  ~UniqueWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
  }
  UniqueWindow(const UniqueWindow&) = delete;
  UniqueWindow& operator=(const UniqueWindow&) = delete;

  void Reset(HWND window) {
    if (window_ != nullptr) ::DestroyWindow(window_);
    window_ = window;
  }
  // The system destroyed the window (with its parent): nothing is left to destroy.
  void Forget() { window_ = nullptr; }
  HWND Get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

RECT PrimaryMonitor() {
  return {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

class Win32ShowHost final : public ShowHost {
 public:
  // The full-screen show when `parent` is null, else the preview inside `parent`.
  explicit Win32ShowHost(HWND parent)
      : class_(::GetModuleHandleW(nullptr), &WindowProcedure),
        parent_(parent),
        frame_(parent == nullptr ? ReadScaleSetting() : ScaleMode::kAuto),
        covers_(kWindowClassName, this) {
    HWND window = nullptr;
    if (Preview()) {
      if (!::IsWindow(parent)) throw std::runtime_error("no window to draw the preview in");
      RECT area{};
      ::GetClientRect(parent, &area);
      window = ::CreateWindowExW(0, kWindowClassName, L"scenesaver", WS_CHILD | WS_CLIPSIBLINGS, 0,
                                 0, area.right, area.bottom, parent, nullptr,
                                 ::GetModuleHandleW(nullptr), this);
    } else {
      // Window pixels are the screen's real pixels: the program's manifest declares it aware
      // of every monitor's DPI.
      const RECT screen = PrimaryMonitor();
      window = ::CreateWindowExW(0, kWindowClassName, L"scenesaver", WS_POPUP, screen.left,
                                 screen.top, screen.right - screen.left, screen.bottom - screen.top,
                                 nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    }
    if (window == nullptr) throw std::runtime_error("the presentation window cannot be created");
    window_.Reset(window);
    if (!Preview()) covers_.CoverOtherMonitors(false);
    POINT cursor{};
    if (::GetCursorPos(&cursor)) cursor_ = {cursor.x, cursor.y};
  }

  // The window procedure no longer reaches the host while its members end.
  ~Win32ShowHost() override {
    covers_.Uncover();
    if (window_.Get() != nullptr) ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, 0);
  }
  Win32ShowHost(const Win32ShowHost&) = delete;
  Win32ShowHost& operator=(const Win32ShowHost&) = delete;

  std::uint32_t GetTickCount() override { return ::GetTickCount(); }

  void DoEvents() override {
    const Dispatching dispatching(*this);
    if (Preview()) FollowParent();
    if (std::exchange(close_requested_, false)) Input(&InputHandlers::KeyDown);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Someone asked the program to end: input like any other, so the password still holds.
        Input(&InputHandlers::KeyDown);
        continue;
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }

  void WaitForEventsUntil(std::uint32_t tick) override {
    for (;;) {
      MSG message;
      if (close_requested_ || ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) return;
      if (Preview() && !::IsWindow(parent_)) return;
      const DWORD now = ::GetTickCount();
      if (!After(tick, now)) return;
      // The parent window of a preview goes without a message to this thread: look again
      // every slice.
      const DWORD wait = Preview() ? std::min<DWORD>(tick - now, kPreviewWaitSliceMs) : tick - now;
      // MWMO_INPUTAVAILABLE: also wake for messages that were already queued but not taken.
      ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }

  void Refresh(const raster::Surface& picture1) override {
    const bool resized = picture1.Width() != shown_.width || picture1.Height() != shown_.height;
    shown_ = {picture1.Width(), picture1.Height()};
    frame_.Take(picture1);
    if (window_.Get() == nullptr || !::IsWindowVisible(window_.Get())) return;
    const WindowDc dc(window_.Get());
    if (dc.Get() == nullptr) return;
    RECT client{};
    ::GetClientRect(window_.Get(), &client);
    // A picture of another size leaves other margins.
    if (resized) {
      frame_.PaintAll(dc.Get(), client);
    } else {
      frame_.PaintPicture(dc.Get(), client);
    }
  }

  void SetInputHandlers(InputHandlers* handlers) override { handlers_ = handlers; }

  // The preview's "screen" is its window.
  Size PrimaryScreenSize() override {
    if (Preview()) {
      RECT client{};
      if (window_.Get() != nullptr) ::GetClientRect(window_.Get(), &client);
      return {client.right, client.bottom};
    }
    const RECT screen = PrimaryMonitor();
    return {screen.right - screen.left, screen.bottom - screen.top};
  }

  // The frame centres and scales the picture itself, by the present rule for the window's size.
  void PlacePicture1(std::int32_t /*left*/, std::int32_t /*top*/, std::int32_t /*width*/,
                     std::int32_t /*height*/) override {
    if (window_.Get() != nullptr) ::InvalidateRect(window_.Get(), nullptr, FALSE);
  }

  base::Result<void> ShowWindow() override {
    if (window_.Get() == nullptr) return {};
    if (Preview()) {
      // The settings panel keeps the focus.
      ::ShowWindow(window_.Get(), SW_SHOWNA);
      ::UpdateWindow(window_.Get());
      return {};
    }
    ::ShowWindow(window_.Get(), SW_SHOW);
    covers_.Show();
    ::SetForegroundWindow(window_.Get());
    ::SetFocus(window_.Get());
    ::UpdateWindow(window_.Get());
    return {};
  }

  void MakeTopmost() override {
    if (Preview() || window_.Get() == nullptr) return;
    topmost_ = true;
    covers_.MakeTopmost();
    ::SetWindowPos(window_.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }

  // The preview leaves the cursor to the settings panel; only the count is kept.
  int ShowCursor(bool show) override {
    if (Preview()) return preview_cursor_count_ += show ? 1 : -1;
    return ::ShowCursor(show ? TRUE : FALSE);
  }

  Point GetCursorPos() override {
    POINT cursor{};
    if (::GetCursorPos(&cursor)) cursor_ = {cursor.x, cursor.y};
    return cursor_;
  }

  void SetScreenSaverRunning(bool running) override {
    if (Preview()) return;
    BOOL previous = FALSE;
    ::SystemParametersInfoA(kSetScreenSaverRunning, running ? TRUE : FALSE, &previous, 0);
  }

  // Paths are bytes of the ANSI code page, as the "A" functions read them.
  base::Result<raster::Surface> LoadPicture(const std::string& path) override {
    const std::wstring wide = WideFromAnsi(path);
    raster::Surface picture;
    if (auto failure = DecodePictureFile(wide, Utf8FromWide(wide), picture)) {
      return base::Error{std::move(*failure)};
    }
    return picture;
  }

  // The preview is silent: no music device is opened and no sound is played.
  void MciSendString(std::string_view command, std::string& reply) override {
    if (Preview()) {
      reply.clear();
      return;
    }
    const std::string text(command);
    char buffer[kMciReplyLength] = {};
    const MCIERROR code = ::mciSendStringA(text.c_str(), buffer, kMciReplyLength, nullptr);
    reply.assign(buffer, ::strnlen(buffer, kMciReplyLength));
    mci_log_.Record(command, code, reply);
  }

  void PlaySound(std::string_view name, std::uint32_t flags) override {
    if (Preview()) return;
    if (name.empty()) {
      ::PlaySoundA(nullptr, nullptr, flags);
      return;
    }
    const std::string text(name);
    ::PlaySoundA(text.c_str(), nullptr, flags);
  }

  // The preview never asks a password.
  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override {
    if (Preview()) return std::nullopt;
    return ReadRegistryNumber(HKEY_CURRENT_USER, kDesktopKey, kUsePasswordValue);
  }

  PasswordVerdict VerifyScreenSavePwd() override {
    const PasswordVerdict verdict = VerifyScreenSavePassword(window_.Get());
    close_requested_ = false;  // a close request meanwhile belonged to the prompt's time
    return verdict;
  }

  // Inside the settings panel a message box would stand over the panel: the preview's failure
  // goes to standard error, and the preview ends.
  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override {
    if (Preview()) {
      std::fprintf(stderr, "scenesaver: %.*s: %.*s\n", static_cast<int>(caption.size()),
                   caption.data(), static_cast<int>(text.size()), text.data());
      return;
    }
    ShowMessageBox(window_.Get(), text, caption, icon);
  }

 private:
  // Input reaches the handlers only while DoEvents runs.
  class Dispatching {
   public:
    explicit Dispatching(Win32ShowHost& host) : host_(host) { ++host_.dispatching_; }
    ~Dispatching() { --host_.dispatching_; }
    Dispatching(const Dispatching&) = delete;
    Dispatching& operator=(const Dispatching&) = delete;

   private:
    Win32ShowHost& host_;
  };

  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* host = reinterpret_cast<Win32ShowHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    return host->Handle(window, message, wparam, lparam);
  }

  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (Preview()) return HandlePreview(window, message, wparam, lparam);
    switch (message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:  // Alt and F10 too; never passed on, so no system menu or close
        Input(&InputHandlers::KeyDown);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        Input(&InputHandlers::MouseDown);
        return 0;
      case WM_XBUTTONDOWN:
        Input(&InputHandlers::MouseDown);
        return TRUE;
      case WM_MOUSEMOVE:
        Input(&InputHandlers::MouseMove);
        return 0;
      case WM_CLOSE:
        // A close request ends the show as input would, through the password; the window
        // itself is destroyed only by its owner.
        RequestClose();
        return 0;
      case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
          case SC_SCREENSAVE:  // no saver over the saver
          case SC_KEYMENU:
            return 0;
          case SC_CLOSE:
            RequestClose();
            return 0;
          default:
            break;
        }
        break;
      case WM_DISPLAYCHANGE:
        // Monitors came, went or changed size: the show fills the primary one again and every
        // other is covered anew.
        if (window == window_.Get()) Refit();
        return 0;
      case WM_NCDESTROY:
        Forget(window);
        break;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint(window);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  // The preview takes no input, never the focus, and ends when its window is closed or goes.
  LRESULT HandlePreview(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case WM_CLOSE:
        RequestEnd();
        return 0;
      case WM_NCDESTROY:
        Forget(window);
        RequestEnd();
        break;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        Paint(window);
        return 0;
      default:
        break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
  }

  void Paint(HWND window) {
    const PaintScope paint(window);
    if (paint.Get() == nullptr) return;
    RECT client{};
    ::GetClientRect(window, &client);
    if (window == window_.Get()) {
      frame_.PaintAll(paint.Get(), client);
    } else {
      ::FillRect(paint.Get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
  }

  void Forget(HWND window) {
    if (window == window_.Get()) {
      window_.Forget();
    } else {
      covers_.Forget(window);
    }
  }

  // The show's window over the primary monitor as it is now, covers over the others.
  void Refit() {
    const RECT screen = PrimaryMonitor();
    const bool visible = ::IsWindowVisible(window_.Get()) != FALSE;
    ::SetWindowPos(window_.Get(), nullptr, screen.left, screen.top, screen.right - screen.left,
                   screen.bottom - screen.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_.Get(), nullptr, FALSE);
    covers_.CoverOtherMonitors(visible);
    if (topmost_) covers_.MakeTopmost();
  }

  // The preview's window follows the size of its parent's client area.
  void FollowParent() {
    if (!::IsWindow(parent_)) {
      RequestEnd();
      return;
    }
    if (window_.Get() == nullptr) return;
    RECT wanted{};
    RECT now{};
    ::GetClientRect(parent_, &wanted);
    ::GetClientRect(window_.Get(), &now);
    if (wanted.right != now.right || wanted.bottom != now.bottom) {
      ::SetWindowPos(window_.Get(), nullptr, 0, 0, wanted.right, wanted.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ::InvalidateRect(window_.Get(), nullptr, FALSE);
    }
  }

  bool Preview() const { return parent_ != nullptr; }

  // The preview ends as input would end the show; it asks no password.
  void RequestEnd() {
    if (dispatching_ > 0 && handlers_ != nullptr) {
      handlers_->KeyDown();
    } else {
      close_requested_ = true;
    }
  }

  void Input(void (InputHandlers::*handler)()) {
    if (dispatching_ > 0 && handlers_ != nullptr) (handlers_->*handler)();
  }

  // Delivered now when DoEvents runs, else by the next DoEvents.
  void RequestClose() {
    if (dispatching_ > 0 && handlers_ != nullptr) {
      handlers_->KeyDown();
    } else {
      close_requested_ = true;
    }
  }

  ComApartment com_;  // for the picture decoder, held for the window's thread
  WindowClass class_;
  HWND parent_;  // the settings panel's window of a preview; null for the full-screen show
  UniqueWindow window_;
  PresentedFrame frame_;
  Size shown_{};  // the size of the picture last refreshed
  // Declared after the window, so that they go first; they reach the host's procedure too.
  MonitorCovers covers_;
  MciLog mci_log_;
  InputHandlers* handlers_ = nullptr;
  Point cursor_{};
  int dispatching_ = 0;
  int preview_cursor_count_ = 0;
  bool close_requested_ = false;
  bool topmost_ = false;
};

}  // namespace

std::unique_ptr<ShowHost> MakeWin32ShowHost() { return std::make_unique<Win32ShowHost>(nullptr); }

std::unique_ptr<ShowHost> MakeWin32PreviewHost(HWND parent) {
  if (parent == nullptr) throw std::runtime_error("no window to draw the preview in");
  return std::make_unique<Win32ShowHost>(parent);
}

}  // namespace scenesaver::platform::win32
