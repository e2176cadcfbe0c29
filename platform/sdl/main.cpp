// scenesaver: plays the package of the ".scr" file named like this program, beside it.
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/posix/UserLanguage.h"
#include "platform/sdl/DesktopHost.h"
#include "platform/sdl/TerminationSignals.h"
#include "platform/sdl/X11Display.h"
#include "startup/CommandLine.h"
#include "startup/Startup.h"

namespace {

// An ELF note near the start of the player, and so of every saver file made from it: the
// desktop's MIME database (share/mime/packages/scenesaver.xml) recognises saver files by its
// text, whatever their names.
struct PlayerNote {
  std::uint32_t name_size = sizeof(name);
  std::uint32_t text_size = sizeof(text);
  std::uint32_t type = 1;
  char name[12] = "SceneSaver";
  char text[24] = "scene-show saver player";
};
[[gnu::used, gnu::section(".note.scenesaver"), gnu::aligned(4)]] const PlayerNote kPlayerNote;

// The running program's real file, links resolved; empty when it cannot be found.
std::string RunningProgramPath() {
  std::string path(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(n));
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  namespace startup = scenesaver::startup;
  scenesaver::platform::UseUserLanguage(scenesaver::platform::CatalogueFolder());
  const std::string argument_text = startup::JoinArguments(argc, argv);
  const startup::StartMode mode = startup::ModeOf(argument_text);
  // The show and the dialogs need the X display: without one, say so and end at once, rather
  // than read and extract the package for a show nobody can see.
  std::optional<scenesaver::platform::X11DisplayConnection> display;
  if (mode == startup::StartMode::kShow || mode == startup::StartMode::kSettings ||
      mode == startup::StartMode::kPasswordChange) {
    display.emplace();
    if (const auto& problem = display->Problem()) {
      std::fprintf(stderr, "scenesaver: %s\n", problem->c_str());
      return startup::kExitNoDisplay;
    }
  }
  // In show mode a termination signal only ends the show, from before the temporary folder is
  // made until after it is removed, so that no signal leaves extracted files behind.
  std::optional<scenesaver::platform::TerminationSignals> signals;
  if (mode == startup::StartMode::kShow) signals.emplace();
  scenesaver::platform::DesktopHost host;
  return startup::Main(argument_text, host, RunningProgramPath());
}
