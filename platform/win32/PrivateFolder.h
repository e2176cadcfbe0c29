// The folder that holds the show's numbered temporary folders on Windows: the user's own
// temporary folder (GetTempPathW). The system's Windows directory is shared by all users and
// not writable for them on current Windows, so it is not used.
#pragma once

#include <optional>
#include <string>

namespace scenesaver::platform {

struct OwnedFolder {
  std::string path;  // in the ANSI code page, ending with '\'
};

// The user's temporary folder; nullopt when the system names none that exists.
std::optional<OwnedFolder> OpenPrivateFolder();

}  // namespace scenesaver::platform
