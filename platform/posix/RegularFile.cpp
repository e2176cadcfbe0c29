#include "platform/posix/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace scenesaver::platform {

UniqueFd OpenRegularFile(const std::string& path, std::string* why) {
  // O_NONBLOCK: opening a FIFO with no writer returns at once; it is then refused below.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd.Valid()) {
    if (why != nullptr) *why = std::strerror(errno);
    return fd;
  }
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (why != nullptr) *why = "not a regular file";
    return UniqueFd();
  }
  // Reads of a regular file never block; the flag goes so that nothing later trips over it.
  ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::optional<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path,
                                                         std::size_t max_bytes, std::string* why) {
  const UniqueFd fd = OpenRegularFile(path, why);
  if (!fd.Valid()) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (why != nullptr) *why = std::strerror(errno);
      return std::nullopt;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<std::size_t>(got) > max_bytes) {
      if (why != nullptr) *why = "too large";
      return std::nullopt;
    }
    bytes.insert(bytes.end(), block, block + got);
  }
  return bytes;
}

}  // namespace scenesaver::platform
