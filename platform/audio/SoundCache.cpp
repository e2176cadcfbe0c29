#include "platform/audio/SoundCache.h"

#include <sys/stat.h>

namespace scenesaver::platform {

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  FileIdentity file;
  file.device = static_cast<std::uint64_t>(status.st_dev);
  file.inode = static_cast<std::uint64_t>(status.st_ino);
  file.size = static_cast<std::int64_t>(status.st_size);
  file.modified_ns = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                     static_cast<std::int64_t>(status.st_mtim.tv_nsec);
  return file;
}

}  // namespace scenesaver::platform
