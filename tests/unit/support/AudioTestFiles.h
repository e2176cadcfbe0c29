// Small music and sound files made in memory for the audio tests, and a scratch folder.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/unit/support/ScratchFolder.h"

namespace scenesaver::audio_test {

using Bytes = std::vector<std::uint8_t>;

inline void PutBe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutLe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline std::uint32_t Le32At(const Bytes& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}
inline void PutVarLen(Bytes& out, std::uint32_t value) {
  Bytes reversed{static_cast<std::uint8_t>(value & 0x7F)};
  while (value >>= 7) reversed.push_back(static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
  out.insert(out.end(), reversed.rbegin(), reversed.rend());
}
inline void PutText(Bytes& out, const char* text) {
  for (; *text; ++text) out.push_back(static_cast<std::uint8_t>(*text));
}

// One MTrk being written: events with delta times.
class Track {
 public:
  Track& Tempo(std::uint32_t delta, std::uint32_t micros_per_quarter) {
    PutVarLen(events_, delta);
    events_.insert(events_.end(), {0xFF, 0x51, 0x03});
    PutBe(events_, micros_per_quarter, 3);
    return *this;
  }
  // Raw event bytes after a delta time (status byte optional, for running status).
  Track& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    PutVarLen(events_, delta);
    events_.insert(events_.end(), bytes);
    return *this;
  }
  Track& Note(std::uint32_t delta_on, std::uint32_t length, std::uint8_t key) {
    Event(delta_on, {0x90, key, 100});
    return Event(length, {0x80, key, 0});
  }
  Track& End(std::uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
  const Bytes& Events() const { return events_; }

 private:
  Bytes events_;
};

inline Bytes Smf(std::uint16_t format, std::uint16_t division,
                 std::initializer_list<Track> tracks) {
  Bytes out;
  PutText(out, "MThd");
  PutBe(out, 6, 4);
  PutBe(out, format, 2);
  PutBe(out, static_cast<std::uint32_t>(tracks.size()), 2);
  PutBe(out, division, 2);
  for (const Track& track : tracks) {
    PutText(out, "MTrk");
    PutBe(out, static_cast<std::uint32_t>(track.Events().size()), 4);
    out.insert(out.end(), track.Events().begin(), track.Events().end());
  }
  return out;
}

// A tune of `notes` quarter notes at 120 per minute, 480 ticks each: notes * 500 ms.
inline Bytes Tune(int notes) {
  Track track;
  track.Event(0, {0xC0, 0x00});
  for (int i = 0; i < notes; ++i) track.Note(0, 480, static_cast<std::uint8_t>(60 + i % 12));
  return Smf(0, 480, {track.End()});
}

inline Bytes Wave(std::uint32_t rate, std::uint16_t channels, std::uint32_t frames,
                  std::int16_t amplitude = 0) {
  const std::uint32_t data_size = frames * channels * 2;
  Bytes out;
  PutText(out, "RIFF");
  PutLe(out, 36 + data_size, 4);
  PutText(out, "WAVE");
  PutText(out, "fmt ");
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);
  PutLe(out, channels, 2);
  PutLe(out, rate, 4);
  PutLe(out, rate * channels * 2, 4);
  PutLe(out, channels * 2u, 2);
  PutLe(out, 16, 2);
  PutText(out, "data");
  PutLe(out, data_size, 4);
  for (std::uint32_t i = 0; i < frames * channels; ++i) {
    PutLe(out, static_cast<std::uint16_t>((i / channels) % 50 < 25 ? amplitude : -amplitude), 2);
  }
  return out;
}

using ScratchDir = testing_support::ScratchFolder;

}  // namespace scenesaver::audio_test
