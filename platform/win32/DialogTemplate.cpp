#include "platform/win32/DialogTemplate.h"

namespace scenesaver::platform::win32 {

namespace {

constexpr WORD kPredefinedClass = 0xFFFF;
constexpr WORD kButtonClassAtom = 0x0080;
// Offset of DLGTEMPLATE::cdit in WORDs: after style and dwExtendedStyle.
constexpr std::size_t kItemCountOffset = 4;

}  // namespace

DialogTemplate::DialogTemplate(DWORD style, std::wstring_view title, short width, short height) {
  PutDword(style & ~static_cast<DWORD>(DS_SETFONT));
  PutDword(0);  // extended style
  Put(0);       // item count, raised by AddButton
  Put(0);       // x
  Put(0);       // y
  Put(static_cast<WORD>(width));
  Put(static_cast<WORD>(height));
  Put(0);  // no menu
  Put(0);  // the standard dialog class
  PutText(title);
}

void DialogTemplate::AddButton(DWORD style, WORD id, std::wstring_view caption, short x, short y,
                               short width, short height) {
  AlignToDword();
  PutDword(style);
  PutDword(0);  // extended style
  Put(static_cast<WORD>(x));
  Put(static_cast<WORD>(y));
  Put(static_cast<WORD>(width));
  Put(static_cast<WORD>(height));
  Put(id);
  Put(kPredefinedClass);
  Put(kButtonClassAtom);
  PutText(caption);
  Put(0);  // no creation data
  ++words_[kItemCountOffset];
}

int DialogTemplate::ItemCount() const { return words_[kItemCountOffset]; }

const DLGTEMPLATE* DialogTemplate::Get() const {
  return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2 != 0) Put(0);
}

void DialogTemplate::Put(WORD value) { words_.push_back(value); }

void DialogTemplate::PutDword(DWORD value) {
  Put(LOWORD(value));
  Put(HIWORD(value));
}

void DialogTemplate::PutText(std::wstring_view text) {
  for (const wchar_t unit : text) Put(static_cast<WORD>(unit));
  Put(0);
}

}  // namespace scenesaver::platform::win32
