#include "tools/scenepack/MediaFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::scenepack {
namespace {

using platform::UniqueFd;

std::string Reason(const std::filesystem::path& path, const char* what) {
  return std::string(what) + " '" + path.string() + "': " + std::strerror(errno);
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
  // O_NONBLOCK: opening a FIFO must not wait for a writer; regular files ignore it.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0) {
    error = Reason(path, "cannot read");
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = "cannot read '" + path.string() + "': not a regular file";
    return false;
  }
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      error = Reason(path, "cannot read");
      return false;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         const std::vector<const std::vector<std::uint8_t>*>& parts,
                         std::filesystem::perms permissions, std::string& error) {
  std::filesystem::path temporary = path;
  temporary += ".part";
  {
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.Get() < 0) {
      error = Reason(temporary, "cannot create");
      return false;
    }
    for (const std::vector<std::uint8_t>* part : parts) {
      std::size_t done = 0;
      while (done < part->size()) {
        const ssize_t put = ::write(fd.Get(), part->data() + done, part->size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
          error = Reason(temporary, "cannot write");
          std::filesystem::remove(temporary);
          return false;
        }
        done += static_cast<std::size_t>(put);
      }
    }
    if (fd.Close() != 0) {
      error = Reason(temporary, "cannot write");
      std::filesystem::remove(temporary);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::permissions(temporary, permissions, ec);
  if (!ec) std::filesystem::rename(temporary, path, ec);
  if (ec) {
    error = "cannot write '" + path.string() + "': " + ec.message();
    std::filesystem::remove(temporary);
    return false;
  }
  return true;
}

}  // namespace scenesaver::scenepack
