#include "platform/posix/ExtractFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <utility>

#include "package/SafeFileName.h"
#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

namespace {

// Gives up after this many taken numbers rather than searching forever.
constexpr std::uint32_t kMaxFolderNumber = 1'000'000;

bool EntryExists(int dir_fd, const std::string& name) {
  struct stat st {};
  return ::fstatat(dir_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

// The file system's handle of `name` in `dir_fd` (or of `dir_fd` itself when `name` is
// empty), without following a link; empty when there is none.
std::string HandleOf(int dir_fd, const std::string& name) {
  alignas(file_handle) unsigned char storage[sizeof(file_handle) + MAX_HANDLE_SZ] = {};
  auto* handle = reinterpret_cast<file_handle*>(storage);
  handle->handle_bytes = MAX_HANDLE_SZ;
  int mount_id = 0;
  if (::name_to_handle_at(dir_fd, name.c_str(), handle, &mount_id,
                          name.empty() ? AT_EMPTY_PATH : 0) != 0) {
    return {};
  }
  std::string id(reinterpret_cast<const char*>(&handle->handle_type), sizeof handle->handle_type);
  id.append(reinterpret_cast<const char*>(handle->f_handle), handle->handle_bytes);
  return id;
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool ExtractFolder::IsSafeName(std::string_view name) { return package::IsSafeFileName(name, NAME_MAX); }

std::optional<ExtractFolder> ExtractFolder::CreateNumbered(const std::string& parent) {
  UniqueFd parent_fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parent_fd.Valid()) return std::nullopt;
  for (std::uint32_t n = 1; n <= kMaxFolderNumber; ++n) {
    std::string name = "temp" + std::to_string(n);
    // A file, folder or link of that name counts as taken.
    if (EntryExists(parent_fd.Get(), name)) continue;
    if (::mkdirat(parent_fd.Get(), name.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;  // taken meanwhile by another process
      return std::nullopt;
    }
    UniqueFd dir_fd(
        ::openat(parent_fd.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir_fd.Valid()) {
      ::unlinkat(parent_fd.Get(), name.c_str(), AT_REMOVEDIR);
      return std::nullopt;
    }
    ExtractFolder folder;
    folder.path_ = parent;
    if (folder.path_.empty() || folder.path_.back() != '/') folder.path_ += '/';
    folder.path_ += name + "/";
    folder.name_ = std::move(name);
    folder.parent_fd_ = std::move(parent_fd);
    folder.dir_fd_ = std::move(dir_fd);
    return folder;
  }
  return std::nullopt;
}

// A moved-from folder holds no descriptor, so its clean-up does nothing.
ExtractFolder::ExtractFolder(ExtractFolder&& other) noexcept = default;

ExtractFolder& ExtractFolder::operator=(ExtractFolder&& other) noexcept {
  if (this != &other) {
    Close();  // this folder's own files go before it takes the other's
    path_ = std::move(other.path_);
    name_ = std::move(other.name_);
    parent_fd_ = std::move(other.parent_fd_);
    dir_fd_ = std::move(other.dir_fd_);
    removed_ = other.removed_;
    created_ = std::move(other.created_);
  }
  return *this;
}

ExtractFolder::~ExtractFolder() { Close(); }

void ExtractFolder::Close() {
  if (dir_fd_.Valid()) {
    while (!created_.empty()) DeleteFile(created_.begin()->first);
    RemoveFolder();
  }
  dir_fd_.Reset();
  parent_fd_.Reset();
  created_.clear();
}

bool ExtractFolder::WriteFile(std::string_view name, std::span<const std::uint8_t> bytes) {
  if (!dir_fd_.Valid() || removed_ || !IsSafeName(name)) return false;
  const std::string file(name);
  // A later write replaces an earlier file of this run; anything else of that name stays and
  // makes the write fail (O_EXCL), so nothing foreign is ever replaced.
  if (Holds(name)) DeleteFile(name);
  UniqueFd fd(
      ::openat(dir_fd_.Get(), file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.Valid()) return false;
  struct stat st {};
  ::fstat(fd.Get(), &st);
  created_[file] = FileId{st.st_dev, st.st_ino, HandleOf(fd.Get(), "")};
  return WriteAll(fd.Get(), bytes);
}

bool ExtractFolder::DeleteFile(std::string_view name) {
  const auto it = created_.find(name);
  if (it == created_.end() || !dir_fd_.Valid()) return false;
  // `name` may view the map's own key, so copy what is needed before erasing the entry.
  const std::string file = it->first;
  const FileId id = std::move(it->second);
  created_.erase(it);
  struct stat st {};
  if (::fstatat(dir_fd_.Get(), file.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  // Only the very file this run created, still a plain file.
  if (!S_ISREG(st.st_mode) || st.st_dev != id.device || st.st_ino != id.inode) return false;
  if (!id.handle.empty() && HandleOf(dir_fd_.Get(), file) != id.handle) return false;
  return ::unlinkat(dir_fd_.Get(), file.c_str(), 0) == 0;
}

bool ExtractFolder::RemoveFolder() {
  if (removed_ || !parent_fd_.Valid() || !dir_fd_.Valid()) return false;
  // Only the folder this object made, even if something else now carries its name.
  struct stat mine {};
  struct stat named {};
  if (::fstat(dir_fd_.Get(), &mine) != 0 ||
      ::fstatat(parent_fd_.Get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
      mine.st_dev != named.st_dev || mine.st_ino != named.st_ino) {
    return false;
  }
  if (::unlinkat(parent_fd_.Get(), name_.c_str(), AT_REMOVEDIR) != 0) return false;
  removed_ = true;
  return true;
}

bool ExtractFolder::Holds(std::string_view name) const {
  return created_.find(name) != created_.end();
}

}  // namespace scenesaver::platform
