// An in-memory dialog template (DLGTEMPLATE followed by its DLGITEMTEMPLATE items) for
// DialogBoxIndirectParamW: the dialog manager then supplies the default and cancel buttons,
// tab and arrow navigation, and exclusive radio groups.
#pragma once

#include <string_view>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

class DialogTemplate {
 public:
  // The dialog's box, in dialog units (callers that place their controls in pixels once the
  // window exists may pass any size). No DS_SETFONT: the caller sets the controls' font.
  DialogTemplate(DWORD style, std::wstring_view title, short width, short height);

  // A control of the predefined class "Button" (push, radio or group box by `style`).
  void AddButton(DWORD style, WORD id, std::wstring_view caption, short x, short y, short width,
                 short height);

  int ItemCount() const;
  const DLGTEMPLATE* Get() const;

 private:
  void AlignToDword();
  void Put(WORD value);
  void PutDword(DWORD value);
  void PutText(std::wstring_view text);

  // WORD storage keeps the start (and so every DWORD-aligned offset from it) DWORD-aligned
  // enough for the dialog manager: vector storage comes from operator new.
  std::vector<WORD> words_;
};

}  // namespace scenesaver::platform::win32
