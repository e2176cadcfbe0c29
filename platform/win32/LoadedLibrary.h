// A library loaded at run time (LoadLibraryW), freed when its owner goes.
#pragma once

#include <memory>
#include <type_traits>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

class LoadedLibrary {
 public:
  // Loads `file_name` from the system folder only, so that a file of the same name beside the
  // program is never picked up. Empty when the library does not exist.
  static LoadedLibrary FromSystemFolder(const wchar_t* file_name);

  explicit operator bool() const { return module_ != nullptr; }

  // The exported function `name` as `Function` (a pointer to function type), nullptr when the
  // library is not loaded or does not export it.
  template <typename Function>
  Function Find(const char* name) const {
    static_assert(std::is_pointer_v<Function>);
    if (!module_) return nullptr;
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

 private:
  struct Free {
    void operator()(HMODULE module) const { ::FreeLibrary(module); }
  };
  explicit LoadedLibrary(HMODULE module) : module_(module) {}

  std::unique_ptr<std::remove_pointer_t<HMODULE>, Free> module_;
};

}  // namespace scenesaver::platform::win32
