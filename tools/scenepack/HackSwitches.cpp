#include "tools/scenepack/HackSwitches.h"

#include <string_view>
#include <utility>

namespace scenesaver::scenepack {

namespace {

bool IsSingleDashHackSwitch(std::string_view arg) {
  return arg == "-root" || arg == "-window" || arg == "-window-id" ||
         arg.starts_with("-window-id=");
}

}  // namespace

std::vector<std::string> WithDoubleDashHackSwitches(int argc, const char* const* argv) {
  std::vector<std::string> out;
  for (int i = 0; i < argc; ++i) {
    // argv[0] is the program's own name.
    const bool rewrite = i > 0 && IsSingleDashHackSwitch(argv[i]);
    // Appending rather than "-" + argv[i]: GCC 12 at -O3 misreads that as an overlapping copy.
    std::string arg = rewrite ? std::string("-") : std::string();
    arg += argv[i];
    out.push_back(std::move(arg));
  }
  return out;
}

}  // namespace scenesaver::scenepack
