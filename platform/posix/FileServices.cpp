#include "platform/FileServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

namespace {

std::string Describe(const std::string& path, int error) {
  return path + ": " + std::generic_category().message(error);
}

// A freshly created file that is removed again unless it was renamed into place.
class PendingFile {
 public:
  explicit PendingFile(std::string path) : path_(std::move(path)) {}
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() {
    if (!committed_) ::unlink(path_.c_str());
  }
  const std::string& Path() const { return path_; }
  void Commit() { committed_ = true; }

 private:
  std::string path_;
  bool committed_ = false;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new file next to `path` under a name no other file has; -1 with errno on failure.
int CreateSibling(const std::string& path, std::string& created) {
  const std::string stem =
      FolderOf(path) + "/." + NameOf(path) + "." + std::to_string(::getpid()) + ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    created = stem + std::to_string(attempt);
    const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

}  // namespace

base::Result<RandomAccessFile> RandomAccessFile::Open(const std::string& path) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; regular files ignore it.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) {
    return base::Error{"cannot open " + path + ": " + std::strerror(errno)};
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return base::Error{path + " is not a regular file"};
  }
  return RandomAccessFile(fd.Release(), static_cast<std::uint64_t>(info.st_size));
}

void RandomAccessFile::Close() noexcept {
  if (handle_ != kNoHandle) ::close(static_cast<int>(std::exchange(handle_, kNoHandle)));
}

bool RandomAccessFile::ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const {
  while (n > 0) {
    const ssize_t got = ::pread(static_cast<int>(handle_), dst, n, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    dst += got;
    offset += static_cast<std::uint64_t>(got);
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

base::Result<void> ReplaceFileAtomically(const std::string& path,
                                         std::span<const std::uint8_t> bytes) {
  if (path.empty() || path.back() == '/') return base::Error{Describe(path, EISDIR)};
  std::string temp_path;
  UniqueFd fd(CreateSibling(path, temp_path));
  if (!fd.Valid()) return base::Error{Describe(path, errno)};
  PendingFile pending(temp_path);
  if (const int error = WriteAll(fd.Get(), bytes.data(), bytes.size())) {
    return base::Error{Describe(path, error)};
  }
  // The data must be on disk before the rename makes it the file.
  if (::fsync(fd.Get()) != 0) return base::Error{Describe(path, errno)};
  if (const int error = fd.Close()) return base::Error{Describe(path, error)};
  if (::rename(pending.Path().c_str(), path.c_str()) != 0) return base::Error{Describe(path, errno)};
  pending.Commit();
  return {};
}

}  // namespace scenesaver::platform
