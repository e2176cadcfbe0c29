// Reading and writing the serialized package (little-endian, no padding) and finding it at
// the end of a player file by its last four bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "package/PackageFields.h"
#include "package/PackageRecord.h"

namespace scenesaver::package {

// What a load found wrong, with the byte offset (within the file) where it was found.
struct PackageProblem {
  std::uint64_t offset = 0;
  std::string message;
};

struct LoadResult {
  Package record;  // what could be read; empty when nothing could
  std::optional<PackageProblem> problem;
  bool found = false;                 // a plausible PackageLength was at the end of the file
  std::uint64_t package_offset = 0;  // file offset of the package's first byte
  std::uint64_t file_size = 0;
  PackageLayout layout;
};

// Smallest possible package: the fixed fields, an empty name, absent music, absent scenes and
// the length trailer.
inline constexpr std::uint64_t kMinimumPackageLength = 28;

// Loads the package appended to the file at `path`. Never throws; a damaged package gives a
// partial or empty record and names the problem. Only complete scenes are kept; `SceneCount`
// is taken as stored, so it may differ from `Scenes.size()` in a damaged package.
LoadResult LoadPackageFromFile(const std::string& path);

// The same for a whole file held in memory.
LoadResult LoadPackageFromBytes(std::span<const std::uint8_t> file);

// The serialized bytes of a package (its PackageLength field is written as stored). Throws
// std::invalid_argument for a record the format cannot hold (a name over 65,535 bytes, an
// array over 2^31 - 1 bytes, bytes or scenes in an array marked absent).
std::vector<std::uint8_t> SerializePackage(const Package& record);

// Serialized length of the whole package, PackageLength included.
std::uint64_t SerializedLength(const Package& record);

// Sets PackageLength to the serialized length and returns the serialized bytes. Throws
// std::invalid_argument as SerializePackage does, and when the package exceeds 2^31 - 1 bytes.
std::vector<std::uint8_t> SerializeWithLength(Package& record);

}  // namespace scenesaver::package
