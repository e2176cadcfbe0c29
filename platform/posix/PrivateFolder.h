// The per-user private folder that stands in for the Windows directory: it holds the
// single-instance lock and the numbered temporary folders of the shows.
// $XDG_RUNTIME_DIR/scenesaver/, else ~/.cache/scenesaver/; mode 0700, ours alone.
#pragma once

#include <optional>

#include "platform/posix/OwnedFolder.h"

namespace scenesaver::platform {

// Opens the private folder, creating it if missing. nullopt when no usable folder can be had
// (both candidates missing, not creatable, a symbolic link, foreign or open to others).
std::optional<OwnedFolder> OpenPrivateFolder();

}  // namespace scenesaver::platform
