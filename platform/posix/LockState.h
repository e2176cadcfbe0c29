// The lock's state for one show, read once when the show starts: whether the password is in
// use, and the stored password itself. Both come from the per-user configuration folder, which
// must belong to the user and be closed to writing by group and others, as must the files.
//
// The "ScreenSaveUsePassword" file decides, failing closed: any nonzero number (negative
// included) means in use, and so does a file that exists but cannot be trusted, read or
// understood. Only a missing file or a trusted 0 leaves the password out of use.
#pragma once

#include <string>

#include "platform/posix/OwnedFolder.h"
#include "platform/posix/PasswordStore.h"

namespace scenesaver::platform {

// What the value file says. `why` is set when the file could not be taken at its word.
struct LockUse {
  bool in_use = false;
  std::string why;
};

// The rule for the value file's reading (its path only names it in `why`).
LockUse LockUseFrom(const SmallFile& value_file, const std::string& path);

struct LockState {
  bool in_use = false;
  // One line for standard error when something was refused or could not be read; else empty.
  std::string warning;
  StoredPassword password;
};

// Reads the configuration folder now.
LockState ReadLockState();

}  // namespace scenesaver::platform
