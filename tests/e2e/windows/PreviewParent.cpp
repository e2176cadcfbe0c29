// Stands in for the system's screen-saver settings in the end-to-end test: a window whose
// client area is 152x112 pixels, white, at (40, 40). preview_parent.exe DIR writes the window's
// handle in decimal to DIR\hwnd.txt; once another process has shown a child window in it, that
// child's client size and whether it took the focus go to DIR\child.txt ("152 112 unfocused");
// when DIR\destroy appears the window is destroyed and the program ends.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring folder;
bool child_reported = false;

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Writes `text` to DIR\NAME whole: under another name first, so that the test never reads
// half of it.
void Publish(const wchar_t* name, const std::string& text) {
  const std::wstring part = folder + L"\\" + name + L".part";
  if (FILE* file = _wfopen(part.c_str(), L"wb")) {
    std::fputs(text.c_str(), file);
    std::fclose(file);
  }
  ::MoveFileW(part.c_str(), (folder + L"\\" + name).c_str());
}

void ReportChild(HWND window) {
  const HWND child = ::GetWindow(window, GW_CHILD);
  if (child == nullptr || child_reported || !::IsWindowVisible(child)) return;
  DWORD process = 0;
  ::GetWindowThreadProcessId(child, &process);
  if (process == ::GetCurrentProcessId()) return;
  RECT client{};
  ::GetClientRect(child, &client);
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  ::GetGUIThreadInfo(0, &gui);  // the foreground thread's focus and active window
  const bool focused = gui.hwndFocus == child || gui.hwndActive == child;
  Publish(L"child.txt", std::to_string(client.right) + " " + std::to_string(client.bottom) +
                            (focused ? " focused" : " unfocused") + "\n");
  child_reported = true;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      ReportChild(window);
      if (Exists(folder + L"\\destroy")) ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR command_line, int /*show*/) {
  folder = command_line;
  WNDCLASSW description{};
  description.lpfnWndProc = &Procedure;
  description.hInstance = instance;
  description.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  description.lpszClassName = L"preview parent";
  if (::RegisterClassW(&description) == 0) return 1;
  RECT frame{0, 0, 152, 112};
  ::AdjustWindowRectEx(&frame, WS_POPUP, FALSE, 0);
  const HWND window = ::CreateWindowExW(
      0, L"preview parent", L"preview parent", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ::SetTimer(window, 1, 50, nullptr);
  Publish(L"hwnd.txt", std::to_string(reinterpret_cast<INT_PTR>(window)) + "\n");
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
