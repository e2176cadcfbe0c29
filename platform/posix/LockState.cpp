#include "platform/posix/LockState.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/posix/UserConfig.h"

namespace scenesaver::platform {

namespace {

constexpr const char* kUsePasswordFile = "ScreenSaveUsePassword";
constexpr std::size_t kUsePasswordMaxBytes = 32;
// Group and others may read what the folder holds, but never change it.
constexpr unsigned kNoWritingByOthers = 022;

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A signed decimal number of any length: nullopt when the text is not one, else whether it is
// nonzero.
std::optional<bool> NonzeroNumber(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  bool nonzero = false;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    nonzero = nonzero || c != '0';
  }
  return nonzero;
}

std::string FolderWithoutSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

LockUse LockUseFrom(const SmallFile& value_file, const std::string& path) {
  switch (value_file.status) {
    case SmallFileStatus::kMissing:
      return {false, {}};
    case SmallFileStatus::kUntrusted:
      return {true, path + ": " + (value_file.why.empty() ? "not trusted" : value_file.why)};
    case SmallFileStatus::kRead:
      break;
  }
  const auto nonzero = NonzeroNumber(TrimBlanks(value_file.bytes));
  if (!nonzero) return {true, path + ": not a number"};
  return {*nonzero, {}};
}

LockState ReadLockState() {
  LockState state;
  const std::string folder_path = ConfigFolderPath();
  if (folder_path.empty()) return state;
  const std::string folder = FolderWithoutSlash(folder_path);
  const std::string value_path = folder_path + kUsePasswordFile;

  UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.Valid() && errno == ENOENT) return state;  // nothing set up: no lock
  std::string folder_problem;
  struct stat st {};
  if (!fd.Valid()) {
    folder_problem = errno == ELOOP || errno == ENOTDIR
                         ? std::string("not a plain folder")
                         : std::string("cannot be read: ") + std::strerror(errno);
  } else if (::fstat(fd.Get(), &st) != 0 || st.st_uid != ::geteuid()) {
    folder_problem = "owned by someone else";
  } else if ((st.st_mode & kNoWritingByOthers) != 0) {
    folder_problem = "open to writing by group or others";
  }

  if (!folder_problem.empty()) {
    // Nothing in the folder can be believed. A value file that is there still puts the
    // password in use; the store then refuses every entry.
    state.password = StoredPassword::Untrusted();
    struct stat value {};
    if (::lstat(value_path.c_str(), &value) != 0 && errno == ENOENT) return state;
    state.in_use = true;
    state.warning = folder + ": " + folder_problem + "; the password is in use";
    return state;
  }

  const LockUse use = LockUseFrom(
      ReadSmallPrivateFileAt(fd.Get(), kUsePasswordFile, kUsePasswordMaxBytes, kNoWritingByOthers),
      value_path);
  state.in_use = use.in_use;
  if (!use.why.empty()) state.warning = use.why + "; the password is in use";
  state.password = StoredPassword(
      ReadSmallPrivateFileAt(fd.Get(), kPasswordFileName, PasswordFileMaxBytes(), 077));
  return state;
}

}  // namespace scenesaver::platform
