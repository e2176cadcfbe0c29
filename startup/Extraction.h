// Writing the package's embedded files into the show's temporary folder: the music first, then
// every distinct picture, then every distinct sound, in scene order.
#pragma once

#include <cstdint>

#include "platform/ExtractFolder.h"
#include "package/PackageRecord.h"

namespace scenesaver::startup {

// Writes the music file, then pictures, then sounds. A name already used by an earlier scene
// of the same kind is written once, from its first scene; a later write of a name replaces the
// earlier file. Names the folder refuses are skipped; every write is tried on its own.
void ExtractPackageFiles(const package::Package& show, platform::ExtractFolder& folder);

}  // namespace scenesaver::startup
