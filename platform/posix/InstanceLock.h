// The single-instance test: an advisory lock (flock) on a file in the private folder, held for
// the life of this object. Only one process of a user holds it at a time.
#pragma once

#include "platform/posix/OwnedFolder.h"
#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

class InstanceLock {
 public:
  enum class Outcome {
    kAcquired,     // this process is the only instance
    kHeldByOther,  // another instance runs
    kUnavailable,  // the lock file could not be opened; no test was possible
  };

  // Tries to take the lock on "instance.lock" inside the folder `folder_fd`, without waiting.
  explicit InstanceLock(int folder_fd);
  explicit InstanceLock(const OwnedFolder& folder) : InstanceLock(folder.fd.Get()) {}
  Outcome Result() const { return outcome_; }

 private:
  UniqueFd fd_;  // closing it releases the lock
  Outcome outcome_ = Outcome::kUnavailable;
};

}  // namespace scenesaver::platform
