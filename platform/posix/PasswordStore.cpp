#include "platform/posix/PasswordStore.h"

#include <sodium.h>

#include <array>
#include <string>

#include "platform/posix/UserConfig.h"

namespace scenesaver::platform {

namespace {

constexpr std::string_view kHashPrefix = "$argon2id$";

bool SodiumReady() {
  static const bool ready = ::sodium_init() >= 0;
  return ready;
}

SmallFile ReadPasswordFile() {
  const std::string folder = ConfigFolderPath();
  if (folder.empty()) return {SmallFileStatus::kMissing, {}, {}};
  return ReadSmallPrivateFile(folder + kPasswordFileName, PasswordFileMaxBytes(), 077);
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
  return folder &&
         ReplaceFileIn(folder->fd.Get(), kPasswordFileName, std::string(hash.data()) + "\n");
}

PasswordCheck VerifyPassword(std::string_view candidate) {
  return StoredPassword(ReadPasswordFile()).Verify(candidate);
}

bool HasStoredPassword() { return ReadPasswordFile().status != SmallFileStatus::kMissing; }

std::size_t PasswordFileMaxBytes() { return crypto_pwhash_STRBYTES; }

StoredPassword::StoredPassword(const SmallFile& file) {
  if (file.status == SmallFileStatus::kMissing) return;
  state_ = State::kUnreadable;
  if (file.status != SmallFileStatus::kRead) return;
  std::string hash = file.bytes;
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r')) hash.pop_back();
  if (!hash.starts_with(kHashPrefix) || hash.find('\0') != std::string::npos) return;
  hash_ = std::move(hash);
  state_ = State::kHash;
}

StoredPassword StoredPassword::Untrusted() {
  StoredPassword stored;
  stored.state_ = State::kUnreadable;
  return stored;
}

StoredPassword::~StoredPassword() { ::sodium_memzero(hash_.data(), hash_.size()); }

StoredPassword::StoredPassword(StoredPassword&& other) noexcept
    : state_(other.state_), hash_(std::move(other.hash_)) {}

StoredPassword& StoredPassword::operator=(StoredPassword&& other) noexcept {
  if (this != &other) {
    ::sodium_memzero(hash_.data(), hash_.size());
    state_ = other.state_;
    hash_ = std::move(other.hash_);
  }
  return *this;
}

PasswordCheck StoredPassword::Verify(std::string_view candidate) const {
  switch (state_) {
    case State::kMissing:
      return candidate.empty() ? PasswordCheck::kAccepted : PasswordCheck::kRefused;
    case State::kUnreadable:
      return PasswordCheck::kUnreadable;
    case State::kHash:
      break;
  }
  if (!SodiumReady()) return PasswordCheck::kUnreadable;
  return ::crypto_pwhash_str_verify(hash_.c_str(), candidate.data(), candidate.size()) == 0
             ? PasswordCheck::kAccepted
             : PasswordCheck::kRefused;
}

}  // namespace scenesaver::platform
