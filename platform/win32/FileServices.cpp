#include "platform/FileServices.h"

#include <utility>

#include "platform/win32/AnsiText.h"
#include "platform/win32/SystemMessage.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform {

namespace {

using win32::SystemMessage;

std::string Describe(const std::string& path, DWORD error) {
  return path + ": " + SystemMessage(error);
}

HANDLE HandleOf(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

// A freshly created file that is removed again unless it was renamed into place.
class PendingFile {
 public:
  PendingFile(std::wstring path, HANDLE handle) : path_(std::move(path)), handle_(handle) {}
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() {
    CloseFile();
    if (!committed_) ::DeleteFileW(path_.c_str());
  }
  HANDLE Handle() const { return handle_; }
  const std::wstring& Path() const { return path_; }
  bool CloseFile() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    return ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }
  void Commit() { committed_ = true; }

 private:
  std::wstring path_;
  HANDLE handle_;
  bool committed_ = false;
};

}  // namespace

base::Result<RandomAccessFile> RandomAccessFile::Open(const std::string& path) {
  const std::wstring wide = win32::WideFromAnsi(path);
  const HANDLE file =
      wide.empty() ? INVALID_HANDLE_VALUE
                   : ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return base::Error{"cannot open " + path + ": " + SystemMessage(::GetLastError())};
  }
  RandomAccessFile opened(reinterpret_cast<std::intptr_t>(file), 0);
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size) || size.QuadPart < 0) {
    return base::Error{path + " is not a regular file"};
  }
  opened.size_ = static_cast<std::uint64_t>(size.QuadPart);
  return opened;
}

void RandomAccessFile::Close() noexcept {
  if (handle_ != kNoHandle) ::CloseHandle(HandleOf(std::exchange(handle_, kNoHandle)));
}

bool RandomAccessFile::ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const {
  while (n > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xFFFF'FFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD chunk = n > 0x4000'0000 ? 0x4000'0000 : static_cast<DWORD>(n);
    DWORD got = 0;
    if (!::ReadFile(HandleOf(handle_), dst, chunk, &got, &at) || got == 0) return false;
    dst += got;
    offset += got;
    n -= got;
  }
  return true;
}

base::Result<void> ReplaceFileAtomically(const std::string& path,
                                         std::span<const std::uint8_t> bytes) {
  const std::wstring wide = win32::WideFromAnsi(path);
  if (wide.empty() || wide.back() == L'\\' || wide.back() == L'/') {
    return base::Error{Describe(path, ERROR_DIRECTORY)};
  }
  const std::wstring stem = wide + L"." + std::to_wstring(::GetCurrentProcessId()) + L".";
  std::optional<PendingFile> pending;
  for (int attempt = 0; attempt < 100 && !pending; ++attempt) {
    const std::wstring candidate = stem + std::to_wstring(attempt);
    const HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      pending.emplace(candidate, handle);
    } else if (::GetLastError() != ERROR_FILE_EXISTS) {
      return base::Error{Describe(path, ::GetLastError())};
    }
  }
  if (!pending) return base::Error{Describe(path, ERROR_FILE_EXISTS)};
  DWORD written = 0;
  if (bytes.size() > 0xFFFF'FFFFu ||
      !::WriteFile(pending->Handle(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
      written != bytes.size()) {
    return base::Error{Describe(path, ::GetLastError())};
  }
  // The data must be on disk before the rename makes it the file.
  if (!::FlushFileBuffers(pending->Handle()) || !pending->CloseFile()) {
    return base::Error{Describe(path, ::GetLastError())};
  }
  if (!::MoveFileExW(pending->Path().c_str(), wide.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return base::Error{Describe(path, ::GetLastError())};
  }
  pending->Commit();
  return {};
}

}  // namespace scenesaver::platform
