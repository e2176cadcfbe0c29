// Parsing of the MCI-style command strings the show sends to its music device.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenesaver::platform::mci {

enum class Verb { kOpen, kPlay, kStatusMode, kSeekToStart, kSeekToEnd, kStop, kClose };

struct Command {
  Verb verb = Verb::kPlay;
  // The device the command addresses, folded to lower case (device names are case-blind).
  // For "open" this is the alias, or the file path when no alias is given.
  std::string device;
  // Only for "open": the file path, exactly as written (quotes removed).
  std::string path;
};

// Splits a command into words: runs of blanks separate words, and a double-quoted run is one
// word without its quotes. Returns nullopt for an unterminated quote.
std::optional<std::vector<std::string>> SplitWords(std::string_view text);

// Recognises the commands the music device answers:
//   open <path> [alias <name>] | play <name> | status <name> mode |
//   seek <name> to start|end | stop <name> | close <name>
// Verbs and keywords are case-blind. Anything else is nullopt.
std::optional<Command> ParseCommand(std::string_view text);

}  // namespace scenesaver::platform::mci
