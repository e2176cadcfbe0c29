// Whole-file reads and writes for the media and saver files scenepack handles.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace scenesaver::scenepack {

// Reads a whole file; on failure returns false and a message naming the file and the reason.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// Writes `parts` one after another to a temporary file beside `path`, then renames it into
// place with the given permissions, so a failed write never leaves a half-written file.
bool WriteFileAtomically(const std::filesystem::path& path,
                         const std::vector<const std::vector<std::uint8_t>*>& parts,
                         std::filesystem::perms permissions, std::string& error);

}  // namespace scenesaver::scenepack
