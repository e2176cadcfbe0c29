// The show's private temporary folder ("temp" plus the first free number inside the per-user
// folder, mode 0700). Files are written and deleted relative to the folder's descriptor, never
// following symbolic links, and only names without path separators are accepted. The clean-up
// deletes only files this object created.
//
// Names are raw bytes of the package's code page (CP932): a 0x5C byte that is the second byte
// of a double-byte character is part of that character, not a separator.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

class ExtractFolder {
 public:
  // Creates "temp" + N in `parent` (N from 1, skipping every existing entry). nullopt on failure.
  static std::optional<ExtractFolder> CreateNumbered(const std::string& parent);
  ExtractFolder(ExtractFolder&& other) noexcept;
  ExtractFolder& operator=(ExtractFolder&& other) noexcept;
  ExtractFolder(const ExtractFolder&) = delete;
  ExtractFolder& operator=(const ExtractFolder&) = delete;
  // Removes whatever this object created and still exists, then the folder.
  ~ExtractFolder();

  // Full path, ending with '/'.
  const std::string& Path() const { return path_; }
  // True for a name that may become a file directly inside the folder.
  static bool IsSafeName(std::string_view name);
  // Writes the bytes to the named file (replacing a file this run wrote). False if refused.
  bool WriteFile(std::string_view name, std::span<const std::uint8_t> bytes);
  // Deletes the named file if this run created it and it is a plain file.
  bool DeleteFile(std::string_view name);
  // Removes the folder if it is empty.
  bool RemoveFolder();
  // True when this run created the named file and has not deleted it yet.
  bool Holds(std::string_view name) const;

 private:
  // What tells the file this run wrote from any later one of the same name: its inode, and
  // the file system's handle (which also holds the inode's generation, so a new file that
  // reuses the inode number differs). The handle is empty where the file system gives none.
  struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    std::string handle;
  };
  ExtractFolder() = default;
  void Close();
  std::string path_;
  std::string name_;  // "temp" + N, inside the parent
  UniqueFd parent_fd_;
  UniqueFd dir_fd_;
  bool removed_ = false;
  std::map<std::string, FileId, std::less<>> created_;  // files this run wrote, by name
};

}  // namespace scenesaver::platform
