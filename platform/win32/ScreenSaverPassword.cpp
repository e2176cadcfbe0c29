#include "platform/win32/ScreenSaverPassword.h"

#include "platform/win32/LoadedLibrary.h"

namespace scenesaver::platform::win32 {

namespace {

class RegistryKey {
 public:
  RegistryKey(HKEY root, const char* name) {
    if (::RegOpenKeyExA(root, name, 0, KEY_QUERY_VALUE, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~RegistryKey() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

using VerifyScreenSavePwdEntry = BOOL(WINAPI*)(HWND);

}  // namespace

std::optional<std::uint32_t> ReadRegistryNumber(HKEY root, const char* key_name,
                                                const char* value_name) {
  const RegistryKey key(root, key_name);
  if (key.Get() == nullptr) return std::nullopt;
  DWORD type = REG_DWORD;
  DWORD size = sizeof(DWORD);
  DWORD data = 0;
  if (::RegQueryValueExA(key.Get(), value_name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return data;
}

PasswordVerdict VerifyScreenSavePassword(HWND owner) {
  // Only the system folder is searched, so that a "password.cpl" placed beside the saver or in
  // the current folder is never run.
  const LoadedLibrary library = LoadedLibrary::FromSystemFolder(L"password.cpl");
  const auto verify = library.Find<VerifyScreenSavePwdEntry>("VerifyScreenSavePwd");
  if (verify == nullptr) {
    // Windows of the NT line (and Wine) have no such library: there the system's own lock
    // ("On resume, display logon screen") guards the desktop, so the show simply ends.
    return PasswordVerdict::kAccepted;
  }
  // The low 16 bits of the result decide.
  return (verify(owner) & 0xFFFF) != 0 ? PasswordVerdict::kAccepted : PasswordVerdict::kRefused;
}

}  // namespace scenesaver::platform::win32
