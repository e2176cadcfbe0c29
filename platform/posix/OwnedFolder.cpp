#include "platform/posix/OwnedFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace scenesaver::platform {

namespace {

// Creates the folder's parent when it is missing (as ~/.cache or ~/.config may be on a fresh
// account), mode 0700; an existing parent is left alone.
void MakeParent(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) ::mkdir(folder.substr(0, slash).c_str(), 0700);
}

}  // namespace

bool IsPrivateToUs(int fd, unsigned forbidden_mode) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return st.st_uid == ::geteuid() && (st.st_mode & forbidden_mode) == 0;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* entry = ::getpwuid(::geteuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    return entry->pw_dir;
  }
  return {};
}

std::string AbsoluteEnvPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

SmallFile ReadSmallPrivateFileAt(int folder_fd, const std::string& name, std::size_t max_bytes,
                                 unsigned forbidden_mode) {
  // O_NONBLOCK: a FIFO planted under the name must not stop the reader in open().
  UniqueFd fd(::openat(folder_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) {
    const int error = errno;
    if (error == ENOENT) return {SmallFileStatus::kMissing, {}, {}};
    if (error == ELOOP) return {SmallFileStatus::kUntrusted, {}, "a symbolic link"};
    return {
        SmallFileStatus::kUntrusted, {}, std::string("cannot be read: ") + std::strerror(error)};
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return {SmallFileStatus::kUntrusted, {}, "not a plain file"};
  }
  if (st.st_uid != ::geteuid()) return {SmallFileStatus::kUntrusted, {}, "owned by someone else"};
  if ((st.st_mode & forbidden_mode) != 0) {
    return {SmallFileStatus::kUntrusted, {}, "open to group or others"};
  }
  if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > max_bytes) {
    return {SmallFileStatus::kUntrusted, {}, "too long"};
  }
  std::string bytes(max_bytes + 1, '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      return {
          SmallFileStatus::kUntrusted, {}, std::string("cannot be read: ") + std::strerror(errno)};
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got > max_bytes) return {SmallFileStatus::kUntrusted, {}, "too long"};
  bytes.resize(got);
  return {SmallFileStatus::kRead, std::move(bytes), {}};
}

SmallFile ReadSmallPrivateFile(const std::string& path, std::size_t max_bytes,
                               unsigned forbidden_mode) {
  return ReadSmallPrivateFileAt(AT_FDCWD, path, max_bytes, forbidden_mode);
}

bool ReplaceFileIn(int folder_fd, const std::string& name, std::string_view bytes) {
  const std::string fresh = "." + name + ".new";
  ::unlinkat(folder_fd, fresh.c_str(), 0);
  UniqueFd fd(::openat(folder_fd, fresh.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.Valid()) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd.Get()) == 0;
  fd.Reset();
  if (ok && ::renameat(folder_fd, fresh.c_str(), folder_fd, name.c_str()) == 0) return true;
  ::unlinkat(folder_fd, fresh.c_str(), 0);
  return false;
}

std::optional<OwnedFolder> OpenOwnedFolder(const std::string& path) {
  if (path.empty() || path[0] != '/') return std::nullopt;
  std::string folder = path;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  MakeParent(folder);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  // O_NOFOLLOW refuses a symbolic link in the last component.
  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.Valid() || !IsPrivateToUs(fd.Get())) return std::nullopt;
  return OwnedFolder{folder + "/", std::move(fd)};
}

}  // namespace scenesaver::platform
