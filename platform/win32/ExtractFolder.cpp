#include "platform/win32/ExtractFolder.h"

#include <utility>

#include "package/SafeFileName.h"
#include "platform/win32/AnsiText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform {

namespace {

using win32::AnsiPathFromWide;
using win32::WideFromAnsi;

// Gives up after this many taken numbers rather than searching forever.
constexpr std::uint32_t kMaxFolderNumber = 1'000'000;
// The longest file name NTFS takes, in UTF-16 units; a CP932 byte never makes more than one.
constexpr std::size_t kMaxNameBytes = 255;

// Closes a file handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (Valid()) ::CloseHandle(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

bool IdOf(HANDLE handle, std::uint32_t& volume, std::uint64_t& index, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  volume = info.dwVolumeSerialNumber;
  index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  attributes = info.dwFileAttributes;
  return true;
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x4000'0000 ? 0x4000'0000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

// Deletes through a handle on the entry itself (not following a reparse point), and only when
// it is the expected one.
bool DeleteIfSame(const std::wstring& path, std::uint32_t volume, std::uint64_t index,
                  bool folder) {
  const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
  const Handle entry(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, flags, nullptr));
  if (!entry.Valid()) return false;
  std::uint32_t now_volume = 0;
  std::uint64_t now_index = 0;
  DWORD attributes = 0;
  if (!IdOf(entry.Get(), now_volume, now_index, attributes)) return false;
  if (now_volume != volume || now_index != index) return false;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
  if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != folder) return false;
  FILE_DISPOSITION_INFO disposition{TRUE};
  return ::SetFileInformationByHandle(entry.Get(), FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

}  // namespace

bool ExtractFolder::IsSafeName(std::string_view name) {
  if (!package::IsSafeFileName(name, kMaxNameBytes)) return false;
  // A colon would name an alternate stream of another file; the rest are not valid in names.
  for (const char c : name) {
    if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') {
      return false;
    }
  }
  // Windows drops trailing dots and spaces, which would make two names one.
  return name.back() != '.' && name.back() != ' ';
}

std::optional<ExtractFolder> ExtractFolder::CreateNumbered(const std::string& parent) {
  std::wstring wide_parent = WideFromAnsi(parent);
  if (wide_parent.empty()) return std::nullopt;
  if (wide_parent.back() != L'\\' && wide_parent.back() != L'/') wide_parent += L'\\';
  for (std::uint32_t n = 1; n <= kMaxFolderNumber; ++n) {
    const std::wstring name = L"temp" + std::to_wstring(n);
    const std::wstring wide_path = wide_parent + name;
    // A file, folder or link of that name counts as taken.
    if (::GetFileAttributesW(wide_path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
    if (!::CreateDirectoryW(wide_path.c_str(), nullptr)) {
      if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;  // taken meanwhile
      return std::nullopt;
    }
    // Without FILE_SHARE_DELETE nobody can rename or replace the folder while it is held.
    Handle folder_handle(::CreateFileW(
        wide_path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    ExtractFolder folder;
    DWORD attributes = 0;
    if (!folder_handle.Valid() ||
        !IdOf(folder_handle.Get(), folder.folder_id_.volume, folder.folder_id_.index, attributes) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      ::RemoveDirectoryW(wide_path.c_str());
      return std::nullopt;
    }
    folder.path_ = AnsiPathFromWide(wide_path);
    if (!folder.path_.empty()) folder.path_ += '\\';
    if (folder.path_.empty()) {
      ::CloseHandle(folder_handle.Release());
      ::RemoveDirectoryW(wide_path.c_str());
      return std::nullopt;
    }
    folder.wide_path_ = wide_path + L"\\";
    folder.folder_handle_ = folder_handle.Release();
    folder.removed_ = false;
    return folder;
  }
  return std::nullopt;
}

ExtractFolder::ExtractFolder(ExtractFolder&& other) noexcept
    : path_(std::move(other.path_)),
      wide_path_(std::move(other.wide_path_)),
      folder_handle_(std::exchange(other.folder_handle_, nullptr)),
      folder_id_(other.folder_id_),
      removed_(std::exchange(other.removed_, true)),
      created_(std::move(other.created_)) {
  other.created_.clear();
}

ExtractFolder& ExtractFolder::operator=(ExtractFolder&& other) noexcept {
  if (this != &other) {
    Close();
    path_ = std::move(other.path_);
    wide_path_ = std::move(other.wide_path_);
    folder_handle_ = std::exchange(other.folder_handle_, nullptr);
    folder_id_ = other.folder_id_;
    removed_ = std::exchange(other.removed_, true);
    created_ = std::move(other.created_);
    other.created_.clear();
  }
  return *this;
}

ExtractFolder::~ExtractFolder() { Close(); }

void ExtractFolder::Close() {
  if (folder_handle_ != nullptr) {
    while (!created_.empty()) DeleteFile(created_.begin()->first);
    RemoveFolder();
    if (folder_handle_ != nullptr) ::CloseHandle(std::exchange(folder_handle_, nullptr));
  }
  created_.clear();
}

std::wstring ExtractFolder::WidePathOf(std::string_view name) const {
  const std::wstring wide_name = WideFromAnsi(name);
  return wide_name.empty() ? std::wstring() : wide_path_ + wide_name;
}

bool ExtractFolder::WriteFile(std::string_view name, std::span<const std::uint8_t> bytes) {
  if (folder_handle_ == nullptr || removed_ || !IsSafeName(name)) return false;
  const std::wstring wide = WidePathOf(name);
  if (wide.empty()) return false;
  const std::string file(name);
  // A later write replaces an earlier file of this run; anything else of that name stays and
  // makes the write fail (CREATE_NEW), so nothing foreign is ever replaced.
  if (Holds(name)) DeleteFile(name);
  const Handle out(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return false;
  FileId id;
  DWORD attributes = 0;
  if (!IdOf(out.Get(), id.volume, id.index, attributes)) return false;
  created_[file] = id;
  return WriteAll(out.Get(), bytes);
}

bool ExtractFolder::DeleteFile(std::string_view name) {
  const auto it = created_.find(name);
  if (it == created_.end() || folder_handle_ == nullptr) return false;
  // `name` may view the map's own key, so copy what is needed before erasing the entry.
  const std::wstring wide = WidePathOf(it->first);
  const FileId id = it->second;
  created_.erase(it);
  return !wide.empty() && DeleteIfSame(wide, id.volume, id.index, false);
}

bool ExtractFolder::RemoveFolder() {
  if (removed_ || folder_handle_ == nullptr || !created_.empty()) return false;
  // Our own handle lacks FILE_SHARE_DELETE; let it go so the folder can be deleted, and take
  // it again when something foreign keeps the folder from going.
  ::CloseHandle(std::exchange(folder_handle_, nullptr));
  std::wstring folder = wide_path_;
  folder.pop_back();
  removed_ = DeleteIfSame(folder, folder_id_.volume, folder_id_.index, true);
  if (!removed_) {
    const HANDLE again = ::CreateFileW(
        folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (again != INVALID_HANDLE_VALUE) folder_handle_ = again;
  }
  return removed_;
}

bool ExtractFolder::Holds(std::string_view name) const {
  return created_.find(name) != created_.end();
}

}  // namespace scenesaver::platform
