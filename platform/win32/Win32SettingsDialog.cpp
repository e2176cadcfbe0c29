#include "platform/win32/Win32SettingsDialog.h"

#include <exception>
#include <memory>
#include <optional>
#include <type_traits>

#include "platform/win32/DialogTemplate.h"
#include "platform/win32/SettingsDialogLayout.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowDpi.h"

namespace scenesaver::platform::win32 {
namespace {

namespace layout = settings_layout;

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
constexpr INT_PTR kClosed = -2;  // EndDialog's result when the window was closed

struct FontDeleter {
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using FontPtr = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

struct ScreenDcRelease {
  void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;

int ControlId(const layout::Control& control) {
  switch (control.kind) {
    case layout::Kind::kFrame:
      return kFrameId + control.index;
    case layout::Kind::kOption:
      return kOption1Id + control.index;
    case layout::Kind::kCommand:
      return control.index == 0 ? IDOK : IDCANCEL;
  }
  return 0;
}

DWORD ControlStyle(const layout::Control& control) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  switch (control.kind) {
    case layout::Kind::kFrame:
      // WS_GROUP closes the previous frame's radio group.
      return kChild | WS_GROUP | BS_GROUPBOX;
    case layout::Kind::kOption:
      // The first button of a frame opens its exclusive group. Only the selected one keeps
      // WS_TABSTOP (see SyncOptions), so Tab enters a frame at its selection.
      return kChild | WS_TABSTOP | BS_AUTORADIOBUTTON | (control.index % 2 == 0 ? WS_GROUP : 0);
    case layout::Kind::kCommand:
      return kChild | WS_TABSTOP |
             (control.index == 0 ? WS_GROUP | BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  }
  return 0;
}

// The system's font for message texts, the one users read dialogs in, with the glyphs of their
// language (Japanese on a Japanese system; others link a Japanese font for it), at `dpi`. The
// system gives its height at the desktop's own DPI.
FontPtr MessageFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    return FontPtr(nullptr);
  }
  int system_dpi = 96;
  if (const ScreenDc screen(::GetDC(nullptr)); screen) {
    system_dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  if (system_dpi > 0 && dpi != system_dpi) {
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, system_dpi);
  }
  return FontPtr(::CreateFontIndirectW(&metrics.lfMessageFont));
}

class SettingsDialog {
 public:
  explicit SettingsDialog(SettingsForm& form) : form_(form) {}

  base::Result<void> Run(HWND owner) {
    DialogTemplate dialog(kDialogStyle, WideFromUtf8(layout::kCaption), 200, 100);
    for (const layout::Control& control : layout::kControls) {
      dialog.AddButton(ControlStyle(control), static_cast<WORD>(ControlId(control)),
                       WideFromUtf8(control.caption), 0, 0, 10, 10);
    }
    const INT_PTR result =
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dialog.Get(), owner, &Procedure,
                                  reinterpret_cast<LPARAM>(this));
    if (failure_) std::rethrow_exception(failure_);
    if (result == -1) {
      return base::Error{"the settings dialog cannot be created: " +
                         SystemMessage(::GetLastError())};
    }
    return {};
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(window, DWLP_USER, lparam);
    auto* self = reinterpret_cast<SettingsDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    // No exception may cross the system's frames; it ends the dialog and Run rethrows it.
    try {
      return self->Handle(window, message, wparam, lparam);
    } catch (...) {
      self->failure_ = std::current_exception();
      self->End(window, kClosed);
      return TRUE;
    }
  }

  INT_PTR Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_INITDIALOG:
        Initialise(window);
        return FALSE;  // the focus is set
      case kDpiChangedMessage: {
        // Moved to a monitor of another DPI: the same twips in that monitor's pixels, where the
        // system suggests.
        const auto* suggested = reinterpret_cast<const RECT*>(lparam);
        PlaceControls(window, HIWORD(wparam), POINT{suggested->left, suggested->top});
        return TRUE;
      }
      case WM_COMMAND:
        OnCommand(window, LOWORD(wparam), HIWORD(wparam));
        return TRUE;
      case WM_CLOSE:
        // The form has no handler for closing: the window just goes, nothing is written.
        End(window, kClosed);
        return TRUE;
      default:
        return FALSE;
    }
  }

  void Initialise(HWND window) {
    KeepDialogDpiScalingOurOwn(window);
    PlaceControls(window, WindowDpi(window), std::nullopt);
    SyncOptions(window);
    const int first = form_.Option1Value(0) ? 0 : 1;
    ::SetFocus(::GetDlgItem(window, kOption1Id + first));
  }

  // Sizes the client area and places every control in pixels, twips * dpi / 1440, with the
  // message font at that DPI; the dialog goes to `at`, else to the middle of its monitor.
  void PlaceControls(HWND window, int dpi, std::optional<POINT> at) {
    FontPtr font = MessageFont(dpi);
    if (font) ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    for (const layout::Control& control : layout::kControls) {
      const HWND item = ::GetDlgItem(window, ControlId(control));
      const layout::Rect place = layout::ToPixels(layout::ClientTwips(control), dpi, dpi);
      if (font) ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
      ::SetWindowPos(item, nullptr, place.left, place.top, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (font) font_ = std::move(font);  // the controls borrow it from now on
    RECT frame{0, 0, layout::TwipsToPixels(layout::kClientWidthTwips, dpi),
               layout::TwipsToPixels(layout::kClientHeightTwips, dpi)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (!at) {
      // Centred on the work area of the monitor the dialog came up on.
      at = POINT{0, 0};
      MONITORINFO monitor{};
      monitor.cbSize = sizeof(monitor);
      if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& area = monitor.rcWork;
        at = POINT{area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2};
      }
    }
    ::SetWindowPos(window, nullptr, at->x, at->y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Shows the form's selection. The selected button of each frame is its only tab stop.
  void SyncOptions(HWND window) {
    for (int index = 0; index < 4; ++index) {
      const HWND option = ::GetDlgItem(window, kOption1Id + index);
      const bool selected = form_.Option1Value(index);
      ::SendMessageW(option, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
      LONG_PTR style = ::GetWindowLongPtrW(option, GWL_STYLE);
      style = selected ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
      ::SetWindowLongPtrW(option, GWL_STYLE, style);
    }
  }

  void OnCommand(HWND window, int id, int notification) {
    if (notification != BN_CLICKED || done_) return;
    if (id >= kOption1Id && id < kOption1Id + 4) {
      form_.Option1_Click(id - kOption1Id);
      SyncOptions(window);
    } else if (id == IDOK || id == IDCANCEL) {
      const int index = id == IDOK ? 0 : 1;
      if (form_.Command1_Click(index)) End(window, index);
    }
  }

  void End(HWND window, INT_PTR result) {
    done_ = true;
    ::EndDialog(window, result);
  }

  SettingsForm& form_;
  FontPtr font_;  // outlives the dialog's window and its controls, which only borrow it
  bool done_ = false;
  std::exception_ptr failure_;
};

}  // namespace

base::Result<void> ShowSettingsDialog(SettingsForm& form, HWND owner) {
  SettingsDialog dialog(form);
  return dialog.Run(owner);
}

}  // namespace scenesaver::platform::win32
