#include "platform/SettingsReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/posix/UniqueFd.h"
#include "platform/posix/UserConfig.h"

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

bool SettingsFilePresent(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string UserSettingsPath(const std::string& name) {
  const std::string folder = ConfigFolderPath();
  if (folder.empty() || name.empty()) return {};
  return folder + name + ".set";
}

bool CanWriteBeside(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  // The kernel's own answer: it also knows read-only mounts and immutable folders, which a
  // look at the mode bits would miss (and root passes the mode bits).
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

base::Result<void> MakeUserSettingsFolder() {
  const std::string folder = ConfigFolderPath();
  if (folder.empty()) return base::Error{"no home folder for per-user settings"};
  if (!OpenConfigFolder()) {
    return base::Error{folder + ": missing and cannot be made, or open to other users"};
  }
  return {};
}

}  // namespace scenesaver::platform
