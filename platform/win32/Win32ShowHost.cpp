#include "platform/win32/Win32ShowHost.h"

#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/win32/AnsiText.h"
#include "platform/win32/ComObjects.h"
#include "platform/win32/MciLog.h"
#include "platform/win32/MessageBoxes.h"
#include "platform/win32/PresentedFrame.h"
#include "platform/win32/ScreenSaverPassword.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32PictureDecoder.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

namespace {

constexpr const wchar_t* kWindowClassName = L"scenesaver.Form1";
constexpr UINT kSetScreenSaverRunning = 97;  // SPI_SETSCREENSAVERRUNNING
constexpr DWORD kMciReplyLength = 256;

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

class Win32ShowHost final : public ShowHost {
 public:
  Win32ShowHost() : class_(::GetModuleHandleW(nullptr), &WindowProcedure) {
    // Window pixels are screen pixels, also where the desktop is scaled.
    ::SetProcessDPIAware();
    const Size screen = PrimaryScreenSize();
    HWND window =
        ::CreateWindowExW(0, kWindowClassName, L"scenesaver", WS_POPUP, 0, 0, screen.width,
                          screen.height, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (window == nullptr) throw std::runtime_error("the presentation window cannot be created");
    window_.Reset(window);
    POINT cursor{};
    if (::GetCursorPos(&cursor)) cursor_ = {cursor.x, cursor.y};
  }

  // The window procedure no longer reaches the host while its members end.
  ~Win32ShowHost() override { ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, 0); }
  Win32ShowHost(const Win32ShowHost&) = delete;
  Win32ShowHost& operator=(const Win32ShowHost&) = delete;

  std::uint32_t GetTickCount() override { return ::GetTickCount(); }

  void DoEvents() override {
    const Dispatching dispatching(*this);
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
      const DWORD now = ::GetTickCount();
      if (!After(tick, now)) return;
      // MWMO_INPUTAVAILABLE: also wake for messages that were already queued but not taken.
      ::MsgWaitForMultipleObjectsEx(0, nullptr, tick - now, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }

  void Refresh(const raster::Surface& picture1) override {
    frame_.Take(picture1);
    if (!::IsWindowVisible(window_.Get())) return;
    const WindowDc dc(window_.Get());
    if (dc.Get() != nullptr) frame_.PaintPicture(dc.Get());
  }

  void SetInputHandlers(InputHandlers* handlers) override { handlers_ = handlers; }

  Size PrimaryScreenSize() override {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }

  void PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t width,
                     std::int32_t height) override {
    frame_.Place(left, top, width, height);
    ::InvalidateRect(window_.Get(), nullptr, FALSE);
  }

  void ShowWindow() override {
    ::ShowWindow(window_.Get(), SW_SHOW);
    ::SetForegroundWindow(window_.Get());
    ::SetFocus(window_.Get());
    ::UpdateWindow(window_.Get());
  }

  void MakeTopmost() override {
    ::SetWindowPos(window_.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }

  int ShowCursor(bool show) override { return ::ShowCursor(show ? TRUE : FALSE); }

  Point GetCursorPos() override {
    POINT cursor{};
    if (::GetCursorPos(&cursor)) cursor_ = {cursor.x, cursor.y};
    return cursor_;
  }

  void SetScreenSaverRunning(bool running) override {
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

  void MciSendString(std::string_view command, std::string& reply) override {
    const std::string text(command);
    char buffer[kMciReplyLength] = {};
    const MCIERROR code = ::mciSendStringA(text.c_str(), buffer, kMciReplyLength, nullptr);
    reply.assign(buffer, ::strnlen(buffer, kMciReplyLength));
    mci_log_.Record(command, code, reply);
  }

  void PlaySound(std::string_view name, std::uint32_t flags) override {
    if (name.empty()) {
      ::PlaySoundA(nullptr, nullptr, flags);
      return;
    }
    const std::string text(name);
    ::PlaySoundA(text.c_str(), nullptr, flags);
  }

  std::optional<std::uint32_t> ReadScreenSaveUsePassword() override {
    return ReadRegistryNumber(HKEY_CURRENT_USER, kDesktopKey, kUsePasswordValue);
  }

  PasswordVerdict VerifyScreenSavePwd() override {
    const PasswordVerdict verdict = VerifyScreenSavePassword(window_.Get());
    close_requested_ = false;  // a close request meanwhile belonged to the prompt's time
    return verdict;
  }

  void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) override {
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
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        const PaintScope paint(window);
        RECT client{};
        ::GetClientRect(window, &client);
        if (paint.Get() != nullptr) frame_.PaintAll(paint.Get(), client);
        return 0;
      }
      default:
        break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
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
  UniqueWindow window_;
  PresentedFrame frame_;
  MciLog mci_log_;
  InputHandlers* handlers_ = nullptr;
  Point cursor_{};
  int dispatching_ = 0;
  bool close_requested_ = false;
};

}  // namespace

std::unique_ptr<ShowHost> MakeWin32ShowHost() { return std::make_unique<Win32ShowHost>(); }

}  // namespace scenesaver::platform::win32
