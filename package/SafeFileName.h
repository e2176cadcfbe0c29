// Which names from a package may become a file directly inside the temporary folder. Names are
// raw bytes of the package's code page (CP932): a 0x5C byte that is the second byte of a
// double-byte character is part of that character, not a separator.
#pragma once

#include <cstddef>
#include <string_view>

namespace scenesaver::package {

// False for the empty name, "." and "..", names longer than `max_bytes`, and names holding a
// control byte (0 to 31, or DEL), '/' or '\' outside a double-byte character.
bool IsSafeFileName(std::string_view name, std::size_t max_bytes);

}  // namespace scenesaver::package
