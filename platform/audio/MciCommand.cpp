#include "platform/audio/MciCommand.h"

#include <algorithm>
#include <cctype>

namespace scenesaver::platform::mci {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

std::optional<std::vector<std::string>> SplitWords(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    std::string word;
    if (text[i] == '"') {
      const std::size_t close = text.find('"', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      word.assign(text.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      while (i < text.size() && !IsBlank(text[i]) && text[i] != '"') word.push_back(text[i++]);
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::optional<Command> ParseCommand(std::string_view text) {
  const auto split = SplitWords(text);
  if (!split || split->size() < 2) return std::nullopt;
  const std::vector<std::string>& words = *split;
  const std::string verb = Lower(words[0]);
  Command command;
  command.device = Lower(words[1]);
  if (command.device.empty()) return std::nullopt;
  const std::size_t count = words.size();

  if (verb == "open") {
    command.verb = Verb::kOpen;
    command.path = words[1];
    if (count == 2) return command;
    if (count == 4 && Lower(words[2]) == "alias" && !words[3].empty()) {
      command.device = Lower(words[3]);
      return command;
    }
    return std::nullopt;
  }
  if (verb == "status") {
    if (count != 3 || Lower(words[2]) != "mode") return std::nullopt;
    command.verb = Verb::kStatusMode;
    return command;
  }
  if (verb == "seek") {
    if (count != 4 || Lower(words[2]) != "to") return std::nullopt;
    const std::string where = Lower(words[3]);
    if (where == "start") {
      command.verb = Verb::kSeekToStart;
    } else if (where == "end") {
      command.verb = Verb::kSeekToEnd;
    } else {
      return std::nullopt;
    }
    return command;
  }
  if (count != 2) return std::nullopt;
  if (verb == "play") {
    command.verb = Verb::kPlay;
  } else if (verb == "stop") {
    command.verb = Verb::kStop;
  } else if (verb == "close") {
    command.verb = Verb::kClose;
  } else {
    return std::nullopt;
  }
  return command;
}

}  // namespace scenesaver::platform::mci
