// Black, topmost windows over every monitor but the primary one, so that a show on the primary
// monitor leaves nothing of the desktop showing elsewhere. They are windows of the show's own
// class, so their input reaches the show's window procedure.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// The rectangles, in virtual-screen pixels, of the monitors the system has now, the primary
// one left out.
std::vector<RECT> OtherMonitors();

class MonitorCovers {
 public:
  // Covers are made of `window_class`, with `creation_parameter` passed to WM_NCCREATE.
  MonitorCovers(const wchar_t* window_class, void* creation_parameter)
      : window_class_(window_class), creation_parameter_(creation_parameter) {}
  ~MonitorCovers() { Uncover(); }
  MonitorCovers(const MonitorCovers&) = delete;
  MonitorCovers& operator=(const MonitorCovers&) = delete;

  // Drops the present covers and makes one over each monitor but the primary, shown when
  // `visible`. Returns false when a cover could not be made.
  bool CoverOtherMonitors(bool visible);
  // Shows every cover, without taking the focus.
  void Show();
  // Puts every cover above the other windows.
  void MakeTopmost();
  bool IsCover(HWND window) const;
  std::size_t Count() const { return covers_.size(); }
  // Forgets a cover the system has destroyed.
  void Forget(HWND window);
  // Destroys every cover.
  void Uncover();

 private:
  const wchar_t* window_class_;
  void* creation_parameter_;
  std::vector<HWND> covers_;
};

}  // namespace scenesaver::platform::win32
