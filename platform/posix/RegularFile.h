// Reading a media file: only a regular file is opened, and a FIFO or device planted under the
// name is refused at once instead of blocking the reader in open() or read().
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/posix/UniqueFd.h"

namespace scenesaver::platform {

// The open file, or an invalid descriptor with `why` (when given) saying what was wrong.
UniqueFd OpenRegularFile(const std::string& path, std::string* why = nullptr);

// The whole file; nullopt when it is not a regular file, cannot be read, or is larger than
// `max_bytes`.
std::optional<std::vector<std::uint8_t>> ReadRegularFile(const std::string& path,
                                                         std::size_t max_bytes,
                                                         std::string* why = nullptr);

}  // namespace scenesaver::platform
