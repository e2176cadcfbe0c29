// The screen-saver password: an argon2id hash (libsodium, interactive limits) in the file
// "password" of the per-user configuration folder, mode 0600.
#pragma once

#include <string_view>

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

}  // namespace scenesaver::platform
