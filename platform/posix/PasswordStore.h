// The screen-saver password: an argon2id hash (libsodium, interactive limits) in the file
// "password" of the per-user configuration folder, mode 0600.
#pragma once

#include <string>
#include <string_view>

#include "platform/posix/OwnedFolder.h"

namespace scenesaver::platform {

enum class PasswordCheck {
  kAccepted,
  kRefused,
  // The stored password exists but cannot be trusted or read (foreign owner, loose mode, not a
  // plain file, damaged). Nothing verifies against it.
  kUnreadable,
};

// Hashes and stores the password, replacing any earlier one. False when it could not be stored.
bool SetPassword(std::string_view password);

// Checks a candidate. With no password stored, only the empty entry is accepted.
PasswordCheck VerifyPassword(std::string_view candidate);

// True when a password file exists (readable or not).
bool HasStoredPassword();

// The stored password as it was read at one moment: checks against it read nothing more, so
// what happens to the file afterwards changes nothing.
class StoredPassword {
 public:
  // No password stored: only the empty entry is accepted.
  StoredPassword() = default;
  // From the password file's reading; anything but a well-formed hash refuses every entry.
  explicit StoredPassword(const SmallFile& file);
  // A store that cannot be trusted (its folder is open to others): refuses every entry.
  static StoredPassword Untrusted();
  ~StoredPassword();
  StoredPassword(StoredPassword&& other) noexcept;
  StoredPassword& operator=(StoredPassword&& other) noexcept;
  StoredPassword(const StoredPassword&) = delete;
  StoredPassword& operator=(const StoredPassword&) = delete;

  PasswordCheck Verify(std::string_view candidate) const;

 private:
  enum class State { kMissing, kHash, kUnreadable };
  State state_ = State::kMissing;
  std::string hash_;
};

// The file's name inside the configuration folder, and the longest file read as a hash.
inline constexpr const char* kPasswordFileName = "password";
std::size_t PasswordFileMaxBytes();

}  // namespace scenesaver::platform
