#include "platform/posix/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

namespace scenesaver::platform {

InstanceLock::InstanceLock(int folder_fd) {
  fd_.Reset(::openat(folder_fd, "instance.lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd_.Valid()) return;
  struct stat st {};
  if (::fstat(fd_.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    fd_.Reset();
    return;
  }
  int rc = 0;
  do {
    rc = ::flock(fd_.Get(), LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) {
    outcome_ = Outcome::kAcquired;
  } else {
    outcome_ = errno == EWOULDBLOCK ? Outcome::kHeldByOther : Outcome::kUnavailable;
    fd_.Reset();
  }
}

}  // namespace scenesaver::platform
