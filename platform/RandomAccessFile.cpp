// What every platform's RandomAccessFile shares; opening, reading and closing are its own.
#include <utility>

#include "platform/FileServices.h"

namespace platform {

RandomAccessFile::RandomAccessFile(RandomAccessFile&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)), size_(other.size_) {}

RandomAccessFile& RandomAccessFile::operator=(RandomAccessFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, kNoHandle);
    size_ = other.size_;
  }
  return *this;
}

RandomAccessFile::~RandomAccessFile() { Close(); }

}  // namespace platform
