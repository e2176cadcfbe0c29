// Drives modal windows from inside their own modal loop: a thread timer finds the window once it
// is up and plays the user's part.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::testing_support {

struct FoundWindow {
  const wchar_t* title;
  HWND window;
};

// This thread's visible dialog box (class "#32770") with the given caption, or nullptr.
inline HWND FindDialog(const std::wstring& title) {
  FoundWindow found{title.c_str(), nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* wanted = reinterpret_cast<FoundWindow*>(data);
        std::array<wchar_t, 64> text{};
        std::array<wchar_t, 16> class_name{};
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
        ::GetClassNameW(window, class_name.data(), static_cast<int>(class_name.size()));
        if (::IsWindowVisible(window) && std::wstring(class_name.data()) == L"#32770" &&
            std::wstring(text.data()) == wanted->title) {
          wanted->window = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.window;
}

inline std::string TextOf(HWND window) {
  std::array<wchar_t, 256> text{};
  const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return platform::win32::Utf8FromWide(
      std::wstring_view(text.data(), static_cast<std::size_t>(length)));
}

// Runs `act` once the modal window titled `title` is up, from inside its modal loop. A window
// still open after five seconds is closed, so that a fault fails the test instead of hanging it.
class WhenShown {
 public:
  WhenShown(std::string_view title, std::function<void(HWND)> act)
      : title_(platform::win32::WideFromUtf8(title)), act_(std::move(act)) {
    poll_ = ::SetTimer(nullptr, 0, 20, &Poll);
    active_.push_back(this);
  }
  ~WhenShown() {
    ::KillTimer(nullptr, poll_);
    if (guard_ != 0) ::KillTimer(nullptr, guard_);
    std::erase(active_, this);
  }
  WhenShown(const WhenShown&) = delete;
  WhenShown& operator=(const WhenShown&) = delete;

  bool Acted() const { return acted_; }
  bool TimedOut() const { return timed_out_; }

 private:
  static void CALLBACK Poll(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto owner = std::find_if(active_.begin(), active_.end(), [&](const WhenShown* each) {
      return each->poll_ == timer || each->guard_ == timer;
    });
    if (owner == active_.end()) return;
    WhenShown* self = *owner;
    if (timer == self->guard_) {
      self->timed_out_ = true;
      if (const HWND window = FindDialog(self->title_)) ::PostMessageW(window, WM_CLOSE, 0, 0);
      return;
    }
    const HWND window = FindDialog(self->title_);
    if (window == nullptr || self->acted_) return;
    ::KillTimer(nullptr, self->poll_);
    self->acted_ = true;
    self->guard_ = ::SetTimer(nullptr, 0, 5000, &Poll);
    self->act_(window);
  }

  static inline std::vector<WhenShown*> active_;  // nested windows each have their own
  std::wstring title_;
  std::function<void(HWND)> act_;
  UINT_PTR poll_ = 0;
  UINT_PTR guard_ = 0;
  bool acted_ = false;
  bool timed_out_ = false;
};

struct ScreenDcRelease {
  void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;

struct WindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};
using WindowPtr = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

}  // namespace scenesaver::testing_support
