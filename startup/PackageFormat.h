// Reading and writing the serialized package (little-endian, no padding) and finding it at
// the end of a player file by its last four bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "startup/PackageRecord.h"

namespace Module1 {

// What a load found wrong, with the byte offset (within the file) where it was found.
struct PackageProblem {
  std::uint64_t offset = 0;
  std::string message;
};

struct LoadResult {
  Package record;  // what could be read; empty when nothing could
  std::optional<PackageProblem> problem;
  std::uint64_t package_offset = 0;  // file offset of the package's first byte
};

// Loads the package appended to the file at `path`. Never throws; a damaged package gives a
// partial or empty record and names the problem.
LoadResult LoadPackageFromFile(const std::string& path);

// The serialized bytes of a package (its PackageLength field is written as stored).
std::vector<std::uint8_t> SerializePackage(const Package& record);

// Serialized length of the whole package, PackageLength included.
std::uint64_t SerializedLength(const Package& record);

}  // namespace Module1
