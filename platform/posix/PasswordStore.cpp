#include "platform/posix/PasswordStore.h"

#include <sodium.h>

#include <array>
#include <string>

#include "platform/posix/UserConfig.h"

namespace scenesaver::platform {

namespace {

constexpr const char* kPasswordFile = "password";
constexpr std::string_view kHashPrefix = "$argon2id$";

bool SodiumReady() {
  static const bool ready = ::sodium_init() >= 0;
  return ready;
}

SmallFile ReadPasswordFile() {
  const std::string folder = ConfigFolderPath();
  if (folder.empty()) return {SmallFileStatus::kMissing, {}};
  return ReadSmallPrivateFile(folder + kPasswordFile, crypto_pwhash_STRBYTES, 077);
}

}  // namespace

bool SetPassword(std::string_view password) {
  if (!SodiumReady()) return false;
  std::array<char, crypto_pwhash_STRBYTES> hash{};
  if (::crypto_pwhash_str(hash.data(), password.data(), password.size(),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return false;
  }
  const auto folder = OpenConfigFolder();
  return folder && ReplaceFileIn(folder->fd.Get(), kPasswordFile, std::string(hash.data()) + "\n");
}

PasswordCheck VerifyPassword(std::string_view candidate) {
  const SmallFile file = ReadPasswordFile();
  if (file.status == SmallFileStatus::kMissing) {
    return candidate.empty() ? PasswordCheck::kAccepted : PasswordCheck::kRefused;
  }
  if (file.status != SmallFileStatus::kRead || !SodiumReady()) return PasswordCheck::kUnreadable;
  std::string hash = file.bytes;
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r')) hash.pop_back();
  if (!hash.starts_with(kHashPrefix) || hash.find('\0') != std::string::npos) {
    return PasswordCheck::kUnreadable;
  }
  return ::crypto_pwhash_str_verify(hash.c_str(), candidate.data(), candidate.size()) == 0
             ? PasswordCheck::kAccepted
             : PasswordCheck::kRefused;
}

bool HasStoredPassword() { return ReadPasswordFile().status != SmallFileStatus::kMissing; }

}  // namespace scenesaver::platform
