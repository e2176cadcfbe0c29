#include "settings/SettingsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/posix/UniqueFd.h"

namespace SettingsFile {
namespace {

using platform::UniqueFd;

std::int16_t FlagValue(bool on) { return on ? std::int16_t{-1} : std::int16_t{0}; }

void PutInt16(std::uint8_t* out, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  out[0] = static_cast<std::uint8_t>(bits & 0xFF);
  out[1] = static_cast<std::uint8_t>(bits >> 8);
}

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

std::array<std::uint8_t, kSize> Encode(bool music_enabled, bool sound_enabled) {
  std::array<std::uint8_t, kSize> bytes{};
  PutInt16(bytes.data(), FlagValue(music_enabled));
  PutInt16(bytes.data() + 2, FlagValue(sound_enabled));
  return bytes;
}

std::optional<std::string> Write(const std::string& path, bool music_enabled, bool sound_enabled) {
  if (path.empty() || path.back() == '/') return Describe(path, EISDIR);
  std::string temp_path;
  UniqueFd fd(CreateSibling(path, temp_path));
  if (fd.Get() < 0) return Describe(path, errno);
  PendingFile pending(temp_path);

  const auto bytes = Encode(music_enabled, sound_enabled);
  if (const int error = WriteAll(fd.Get(), bytes.data(), bytes.size())) {
    return Describe(path, error);
  }
  // The data must be on disk before the rename makes it the settings file.
  if (::fsync(fd.Get()) != 0) return Describe(path, errno);
  if (const int error = fd.Close()) return Describe(path, error);
  if (::rename(pending.Path().c_str(), path.c_str()) != 0) return Describe(path, errno);
  pending.Commit();
  return std::nullopt;
}

}  // namespace SettingsFile
