#include "platform/win32/MonitorCovers.h"

#include <algorithm>

namespace scenesaver::platform::win32 {

namespace {

BOOL CALLBACK CollectOtherMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*rect*/, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (::GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) == 0) {
    reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcMonitor);
  }
  return TRUE;
}

}  // namespace

std::vector<RECT> OtherMonitors() {
  std::vector<RECT> monitors;
  ::EnumDisplayMonitors(nullptr, nullptr, &CollectOtherMonitor,
                        reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

bool MonitorCovers::CoverOtherMonitors(bool visible) {
  Uncover();
  bool all = true;
  for (const RECT& monitor : OtherMonitors()) {
    // WS_EX_TOOLWINDOW: no taskbar button of their own.
    const HWND cover = ::CreateWindowExW(
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW, window_class_, L"scenesaver", WS_POPUP, monitor.left,
        monitor.top, monitor.right - monitor.left, monitor.bottom - monitor.top, nullptr, nullptr,
        ::GetModuleHandleW(nullptr), creation_parameter_);
    if (cover == nullptr) {
      all = false;
      continue;
    }
    covers_.push_back(cover);
    // Shown without activation: the show's window keeps the focus.
    if (visible) ::ShowWindow(cover, SW_SHOWNA);
  }
  return all;
}

void MonitorCovers::Show() {
  for (const HWND cover : covers_) ::ShowWindow(cover, SW_SHOWNA);
}

void MonitorCovers::MakeTopmost() {
  for (const HWND cover : covers_) {
    ::SetWindowPos(cover, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

bool MonitorCovers::IsCover(HWND window) const {
  return std::find(covers_.begin(), covers_.end(), window) != covers_.end();
}

void MonitorCovers::Forget(HWND window) { std::erase(covers_, window); }

void MonitorCovers::Uncover() {
  // Taken out first: destroying a cover sends messages that may look the list up.
  std::vector<HWND> covers;
  covers.swap(covers_);
  for (const HWND cover : covers) ::DestroyWindow(cover);
}

}  // namespace scenesaver::platform::win32
