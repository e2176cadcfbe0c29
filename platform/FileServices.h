// The two file operations the core needs beyond its folders: reading a package at any offset,
// and replacing a small file so that a reader sees either the old or the new bytes, never a
// mixture. Implemented once per platform (platform/posix, platform/win32).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "base/Result.h"

namespace scenesaver::platform {

class RandomAccessFile {
 public:
  // Opens a regular file for reading; a failure's reason names the file.
  static base::Result<RandomAccessFile> Open(const std::string& path);
  RandomAccessFile(RandomAccessFile&& other) noexcept
      : handle_(std::exchange(other.handle_, kNoHandle)), size_(other.size_) {}
  RandomAccessFile& operator=(RandomAccessFile&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kNoHandle);
      size_ = other.size_;
    }
    return *this;
  }
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;
  ~RandomAccessFile() { Close(); }

  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads exactly `n` bytes at `offset`; false when the file ends first or a read fails.
  bool ReadAt(std::uint64_t offset, std::uint8_t* dst, std::size_t n) const;

 private:
  RandomAccessFile(std::intptr_t handle, std::uint64_t size) : handle_(handle), size_(size) {}
  // Closes the handle; each platform's own.
  void Close() noexcept;
  // A descriptor, or a Windows file handle; -1 is neither (INVALID_HANDLE_VALUE on Windows).
  static constexpr std::intptr_t kNoHandle = -1;
  std::intptr_t handle_;
  std::uint64_t size_;
};

// Writes `bytes` to a fresh file beside `path`, flushes it to disk and renames it over `path`.
// A failure's reason names `path`; nothing is left behind.
base::Result<void> ReplaceFileAtomically(const std::string& path,
                                         std::span<const std::uint8_t> bytes);

}  // namespace scenesaver::platform
