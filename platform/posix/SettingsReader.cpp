#include "platform/SettingsReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

StoredSettings ReadSettingsFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {-1, -1};
    return {};
  }
  if (!S_ISREG(st.st_mode)) return {-1, -1};  // only a plain file counts as found
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) return {};
  std::array<unsigned char, 4> bytes{};
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd.Get(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {};
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return DecodeSettings(bytes.data(), got);
}

}  // namespace scenesaver::platform
