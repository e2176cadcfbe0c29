// Writing the package's embedded files into the show's temporary folder: the music first, then
// every distinct picture, then every distinct sound, in scene order.
#pragma once

#include <cstdint>

#include "platform/ExtractFolder.h"
#include "startup/PackageRecord.h"

namespace Module1 {

// The scene that the package calls `index` (its Scenes array may start at a lower bound other
// than 0), or nullptr when the array does not hold it.
const SceneRecord* SceneAt(const Package& package, std::int32_t index);

// Writes the music file, then pictures, then sounds. A name already used by an earlier scene
// of the same kind is written once, from its first scene; a later write of a name replaces the
// earlier file. Names the folder refuses are skipped; every write is tried on its own.
void ExtractPackageFiles(const Package& package, platform::ExtractFolder& folder);

}  // namespace Module1
