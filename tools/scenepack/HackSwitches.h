// XScreenSaver starts its hacks with single-dash switches ("-root", "-window-id ID"); the
// command line parser takes long options with two dashes only.
#pragma once

#include <string>
#include <vector>

namespace scenesaver::scenepack {

// The arguments with "-root", "-window-id" and "-window" (also "-window-id=ID") spelled with
// two dashes; every other argument unchanged.
std::vector<std::string> WithDoubleDashHackSwitches(int argc, const char* const* argv);

}  // namespace scenesaver::scenepack
