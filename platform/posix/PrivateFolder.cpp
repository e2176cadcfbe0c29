#include "platform/posix/PrivateFolder.h"

#include <string>

namespace scenesaver::platform {

std::optional<OwnedFolder> OpenPrivateFolder() {
  if (const std::string runtime = AbsoluteEnvPath("XDG_RUNTIME_DIR"); !runtime.empty()) {
    if (auto folder = OpenOwnedFolder(runtime + "/scenesaver")) return folder;
  }
  if (const std::string home = HomeFolder(); !home.empty()) {
    return OpenOwnedFolder(home + "/.cache/scenesaver");
  }
  return std::nullopt;
}

}  // namespace scenesaver::platform
