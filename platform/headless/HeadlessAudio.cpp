#include "platform/headless/HeadlessAudio.h"

#include <cstdio>
#include <fstream>
#include <ostream>

namespace scenesaver::platform {

namespace {

void WriteCsvField(std::ostream& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out << field;
    return;
  }
  out << '"';
  for (char c : field) {
    if (c == '"') out << '"';
    out << c;
  }
  out << '"';
}

std::string FlagsAndName(std::string_view name, std::uint32_t flags) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(flags));
  std::string argument(hex);
  if (!name.empty()) {
    argument += ' ';
    argument += name;
  }
  return argument;
}

}  // namespace

HeadlessAudio::HeadlessAudio(std::function<std::uint32_t()> clock)
    : clock_(std::move(clock)), music_(clock_), mci_(music_) {}

void HeadlessAudio::MciSendString(std::string_view command, std::string& reply) {
  calls_.push_back({clock_(), "mci", std::string(command)});
  mci_.Send(command, reply);
}

void HeadlessAudio::PlaySound(std::string_view name, std::uint32_t flags) {
  calls_.push_back({clock_(), "PlaySound", FlagsAndName(name, flags)});
}

void WriteAudioCsv(std::ostream& out, const std::vector<AudioCall>& calls) {
  out << "tick_ms,call,argument\n";
  for (const AudioCall& call : calls) {
    out << call.tick_ms << ',';
    WriteCsvField(out, call.call);
    out << ',';
    WriteCsvField(out, call.argument);
    out << '\n';
  }
}

bool WriteAudioCsv(const std::string& path, const std::vector<AudioCall>& calls) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  WriteAudioCsv(out, calls);
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace scenesaver::platform
