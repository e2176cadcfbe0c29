// Writing the package's embedded files into the show's temporary folder: the music first, then
// every distinct picture, then every distinct sound, in scene order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "package/PackageRecord.h"
#include "platform/ExtractFolder.h"

namespace scenesaver::startup {

// Writes the music file, then pictures, then sounds. A name already used by an earlier scene
// of the same kind is written once, from its first scene; a later write of a name replaces the
// earlier file. Names the folder refuses are skipped; every write is tried on its own. Returns
// the record of what was written: each name with the path it was written to.
std::map<std::string, std::string, std::less<>> ExtractPackageFiles(
    const package::Package& show, platform::ExtractFolder& folder);

}  // namespace scenesaver::startup
