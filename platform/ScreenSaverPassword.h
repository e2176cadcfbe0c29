// The screen-saver password: whether it is in use, and the check drawn over the show.
#pragma once

#include <cstdint>
#include <optional>

namespace scenesaver::platform {

enum class PasswordVerdict { kAccepted, kRefused };

class ScreenSaverPassword {
 public:
  virtual ~ScreenSaverPassword() = default;
  // The per-user "ScreenSaveUsePassword" value; nullopt when it cannot be read.
  virtual std::optional<std::uint32_t> ReadScreenSaveUsePassword() = 0;
  // VerifyScreenSavePwd: asks for the password over the show.
  virtual PasswordVerdict VerifyScreenSavePwd() = 0;
};

}  // namespace scenesaver::platform
