// The single-instance test on Windows: a named mutex in the user's session, held for the life
// of this object.
#pragma once

#include "platform/win32/PrivateFolder.h"

namespace scenesaver::platform {

class InstanceLock {
 public:
  enum class Outcome {
    kAcquired,     // this process is the only instance
    kHeldByOther,  // another instance runs
    kUnavailable,  // the mutex could not be made; no test was possible
  };

  explicit InstanceLock(const OwnedFolder& folder);
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();
  Outcome Result() const { return outcome_; }

 private:
  void* mutex_ = nullptr;
  Outcome outcome_ = Outcome::kUnavailable;
};

}  // namespace scenesaver::platform
