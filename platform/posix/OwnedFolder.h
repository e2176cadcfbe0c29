// Opening a per-user folder that only its owner may use: created with mode 0700 when missing,
// refused when it is a symbolic link, belongs to someone else, or is open to group or others.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

struct OwnedFolder {
  std::string path;  // ends with '/'
  UniqueFd fd;       // the folder itself, O_DIRECTORY
};

// Opens the folder at the absolute `path`, creating it (and a missing parent) if needed.
std::optional<OwnedFolder> OpenOwnedFolder(const std::string& path);

// True when the descriptor names something owned by this user and closed to group and others
// (the bits in `forbidden_mode`, 077 by default).
bool IsPrivateToUs(int fd, unsigned forbidden_mode = 077);

// A small file read only when it is safe to trust: a plain file (not a symbolic link) owned by
// this user, none of whose `forbidden_mode` bits are set, and at most `max_bytes` long.
enum class SmallFileStatus { kRead, kMissing, kUntrusted };
struct SmallFile {
  SmallFileStatus status = SmallFileStatus::kMissing;
  std::string bytes;
  // Why an existing file was not read, for a message; empty otherwise.
  std::string why;
};
SmallFile ReadSmallPrivateFile(const std::string& path, std::size_t max_bytes,
                               unsigned forbidden_mode);
// The same, for the file `name` inside the open folder `folder_fd`.
SmallFile ReadSmallPrivateFileAt(int folder_fd, const std::string& name, std::size_t max_bytes,
                                 unsigned forbidden_mode);

// Replaces the file `name` inside the folder `folder_fd` with `bytes`, mode 0600, atomically
// (a fresh file beside it, flushed, then renamed over it). False on any failure.
bool ReplaceFileIn(int folder_fd, const std::string& name, std::string_view bytes);

// $HOME, or the password database's home folder when HOME is unset or empty. Empty if neither.
std::string HomeFolder();

// The value of an environment variable when it is set to an absolute path, else empty.
std::string AbsoluteEnvPath(const char* name);

}  // namespace scenesaver::platform
