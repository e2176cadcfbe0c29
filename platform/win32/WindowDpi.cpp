#include "platform/win32/WindowDpi.h"

namespace scenesaver::platform::win32 {

namespace {

using GetDpiForWindowEntry = UINT(WINAPI*)(HWND);
using SetDialogDpiChangeBehaviorEntry = BOOL(WINAPI*)(HWND, int, int);
using SetDialogControlDpiChangeBehaviorEntry = BOOL(WINAPI*)(HWND, int, int);
constexpr int kDialogDisableAll = 1;  // DDC_DISABLE_ALL
// DCDC_DISABLE_FONTUPDATE | DCDC_DISABLE_RELAYOUT
constexpr int kControlDisableAll = 1 | 2;

// An entry of user32 (loaded in every program with windows; its handle needs no release).
template <typename Function>
Function User32Entry(const char* name) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

int WindowDpi(HWND window) {
  const auto entry = User32Entry<GetDpiForWindowEntry>("GetDpiForWindow");
  if (entry != nullptr && window != nullptr) {
    if (const UINT dpi = entry(window); dpi != 0) return static_cast<int>(dpi);
  }
  const ScreenDc screen;
  if (screen.Get() != nullptr) {
    if (const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY); dpi > 0) return dpi;
  }
  return 96;
}

void KeepDialogDpiScalingOurOwn(HWND dialog) {
  if (const auto entry =
          User32Entry<SetDialogDpiChangeBehaviorEntry>("SetDialogDpiChangeBehavior")) {
    entry(dialog, kDialogDisableAll, kDialogDisableAll);
  }
  const auto control_entry =
      User32Entry<SetDialogControlDpiChangeBehaviorEntry>("SetDialogControlDpiChangeBehavior");
  if (control_entry == nullptr) return;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    control_entry(child, kControlDisableAll, kControlDisableAll);
  }
}

}  // namespace scenesaver::platform::win32
