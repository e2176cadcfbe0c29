#include "platform/audio/MusicFile.h"

#include "platform/posix/RegularFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

namespace scenesaver::platform {

namespace {

std::uint32_t Be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}
std::uint16_t Be16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
std::uint32_t Le32(const std::uint8_t* p) {
  return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
         p[0];
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[1] << 8) | p[0]); }

void PutLe32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool HasTag(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view tag) {
  return bytes.size() >= at + tag.size() &&
         std::equal(tag.begin(), tag.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

std::uint32_t ClampMs(double ms) {
  if (!(ms > 0)) return 0;
  if (ms >= static_cast<double>(std::numeric_limits<std::uint32_t>::max())) {
    return std::numeric_limits<std::uint32_t>::max();
  }
  return static_cast<std::uint32_t>(std::llround(ms));
}

// A RIFF chunk: its four-character id and its body, clipped to the bytes present.
struct Chunk {
  std::string_view id;
  std::span<const std::uint8_t> body;
};

// Walks the chunks of a RIFF form starting at `at`; calls `visit` until it returns true.
template <typename Visit>
void ForEachRiffChunk(std::span<const std::uint8_t> bytes, std::size_t at, Visit visit) {
  while (at + 8 <= bytes.size()) {
    const std::uint32_t size = Le32(&bytes[at + 4]);
    const std::size_t body = at + 8;
    const std::size_t present = std::min<std::size_t>(size, bytes.size() - body);
    const Chunk chunk{std::string_view(reinterpret_cast<const char*>(&bytes[at]), 4),
                      bytes.subspan(body, present)};
    if (visit(chunk)) return;
    if (present < size) return;
    at = body + size + (size & 1u);  // chunks are padded to even sizes
  }
}

struct TempoChange {
  std::uint64_t tick;
  std::uint32_t micros_per_quarter;
};

// One track's events: collects tempo changes and returns the tick of its last complete event.
std::uint64_t ScanTrack(std::span<const std::uint8_t> track, std::vector<TempoChange>& tempos) {
  std::size_t i = 0;
  std::uint64_t tick = 0;
  std::uint64_t last_complete = 0;
  std::uint8_t running_status = 0;
  auto read_varlen = [&](std::uint32_t& value) {
    value = 0;
    for (int n = 0; n < 4; ++n) {
      if (i >= track.size()) return false;
      const std::uint8_t b = track[i++];
      value = (value << 7) | (b & 0x7Fu);
      if ((b & 0x80u) == 0) return true;
    }
    return false;
  };
  while (i < track.size()) {
    std::uint32_t delta = 0;
    if (!read_varlen(delta)) break;
    tick += delta;
    if (i >= track.size()) break;
    std::uint8_t status = track[i];
    if (status & 0x80u) {
      ++i;
    } else if (running_status != 0) {
      status = running_status;
    } else {
      break;  // data byte with no status to run on
    }
    if (status == 0xFF) {  // meta event
      if (i >= track.size()) break;
      const std::uint8_t type = track[i++];
      std::uint32_t length = 0;
      if (!read_varlen(length) || length > track.size() - i) break;
      if (type == 0x51 && length >= 3) {
        const std::uint32_t tempo =
            (std::uint32_t{track[i]} << 16) | (std::uint32_t{track[i + 1]} << 8) | track[i + 2];
        if (tempo > 0) tempos.push_back({tick, tempo});
      }
      i += length;
      last_complete = tick;
      if (type == 0x2F) break;  // end of track
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {  // system exclusive
      std::uint32_t length = 0;
      if (!read_varlen(length) || length > track.size() - i) break;
      i += length;
      running_status = 0;
      last_complete = tick;
      continue;
    }
    if (status >= 0xF0) break;  // system common/real-time messages do not belong in a file
    running_status = status;
    const std::size_t data_bytes = (status & 0xF0u) == 0xC0 || (status & 0xF0u) == 0xD0 ? 1 : 2;
    if (data_bytes > track.size() - i) break;
    i += data_bytes;
    last_complete = tick;
  }
  return last_complete;
}

}  // namespace

std::optional<MusicKind> MusicKindFromPath(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return std::nullopt;
  }
  std::string ext(path.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "mid" || ext == "midi" || ext == "rmi") return MusicKind::kMidi;
  if (ext == "wav") return MusicKind::kWave;
  if (ext == "mp3") return MusicKind::kMp3;
  if (ext == "ogg") return MusicKind::kOgg;
  return std::nullopt;
}

std::span<const std::uint8_t> SmfPayload(std::span<const std::uint8_t> bytes) {
  if (HasTag(bytes, 0, "MThd")) return bytes;
  if (!HasTag(bytes, 0, "RIFF") || !HasTag(bytes, 8, "RMID")) return {};
  std::span<const std::uint8_t> payload;
  ForEachRiffChunk(bytes, 12, [&](const Chunk& chunk) {
    if (chunk.id != "data") return false;
    payload = chunk.body;
    return true;
  });
  return HasTag(payload, 0, "MThd") ? payload : std::span<const std::uint8_t>{};
}

std::optional<std::uint32_t> SmfDurationMs(std::span<const std::uint8_t> smf) {
  if (!HasTag(smf, 0, "MThd") || smf.size() < 14) return std::nullopt;
  const std::uint32_t header_length = Be32(&smf[4]);
  if (header_length < 6 || header_length > smf.size() - 8) return std::nullopt;
  const std::uint16_t track_count = Be16(&smf[10]);
  const std::uint16_t division = Be16(&smf[12]);
  if (track_count == 0 || division == 0) return std::nullopt;

  std::vector<TempoChange> tempos;
  std::uint64_t end_tick = 0;
  std::size_t at = 8 + header_length;
  int tracks_read = 0;
  for (int t = 0; t < track_count && at + 8 <= smf.size(); ++t) {
    const std::uint32_t length = Be32(&smf[at + 4]);
    const std::size_t body = at + 8;
    const std::size_t present = std::min<std::size_t>(length, smf.size() - body);
    if (HasTag(smf, at, "MTrk")) {
      end_tick = std::max(end_tick, ScanTrack(smf.subspan(body, present), tempos));
      ++tracks_read;
    } else {
      --t;  // an unknown chunk is skipped and does not count as a track
    }
    if (present < length) break;
    at = body + length;
  }
  if (tracks_read == 0) return std::nullopt;

  if (division & 0x8000u) {  // SMPTE: frames per second and ticks per frame
    const int fps_code = -static_cast<std::int8_t>(division >> 8);
    const double fps = fps_code == 29 ? 29.97 : fps_code;
    const int ticks_per_frame = division & 0xFF;
    if (fps <= 0 || ticks_per_frame == 0) return std::nullopt;
    return ClampMs(static_cast<double>(end_tick) * 1000.0 / (fps * ticks_per_frame));
  }

  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  double ms = 0;
  std::uint64_t tick = 0;
  std::uint32_t tempo = 500000;  // 120 quarter notes per minute until told otherwise
  for (const TempoChange& change : tempos) {
    if (change.tick >= end_tick) break;
    ms += static_cast<double>(change.tick - tick) * tempo / (division * 1000.0);
    tick = change.tick;
    tempo = change.micros_per_quarter;
  }
  ms += static_cast<double>(end_tick - tick) * tempo / (division * 1000.0);
  return ClampMs(ms);
}

std::optional<std::uint32_t> WaveDurationMs(std::span<const std::uint8_t> wave) {
  if (!HasTag(wave, 0, "RIFF") || !HasTag(wave, 8, "WAVE")) return std::nullopt;
  std::uint32_t byte_rate = 0;
  std::optional<std::size_t> data_bytes;
  ForEachRiffChunk(wave, 12, [&](const Chunk& chunk) {
    if (chunk.id == "fmt " && chunk.body.size() >= 16) {
      const std::uint32_t rate = Le32(&chunk.body[4]);
      const std::uint32_t average = Le32(&chunk.body[8]);
      const std::uint16_t block_align = Le16(&chunk.body[12]);
      // The average byte rate may be off in hand-made files; derive it where we can.
      byte_rate = block_align != 0 && rate != 0 ? rate * block_align : average;
      if (static_cast<std::uint64_t>(rate) * block_align > 0xFFFFFFFFu) byte_rate = average;
    } else if (chunk.id == "data") {
      data_bytes = chunk.body.size();
      return true;
    }
    return false;
  });
  if (byte_rate == 0 || !data_bytes) return std::nullopt;
  return ClampMs(static_cast<double>(*data_bytes) * 1000.0 / byte_rate);
}

bool ClipWaveChunksToFile(std::vector<std::uint8_t>& wave) {
  if (!HasTag(wave, 0, "RIFF") || !HasTag(wave, 8, "WAVE")) return false;
  const std::size_t riff_present = wave.size() - 8;
  if (Le32(&wave[4]) > riff_present) PutLe32(&wave[4], static_cast<std::uint32_t>(riff_present));
  ForEachRiffChunk(wave, 12, [&](const Chunk& chunk) {
    const std::size_t header = static_cast<std::size_t>(chunk.body.data() - wave.data()) - 8;
    if (Le32(&wave[header + 4]) > chunk.body.size()) {
      PutLe32(&wave[header + 4], static_cast<std::uint32_t>(chunk.body.size()));
      return true;
    }
    return false;
  });
  return true;
}

bool HasDecodableWaveFormat(std::span<const std::uint8_t> wave) {
  if (!HasTag(wave, 0, "RIFF") || !HasTag(wave, 8, "WAVE")) return false;
  bool decodable = false;
  ForEachRiffChunk(wave, 12, [&](const Chunk& chunk) {
    if (chunk.id != "fmt ") return false;
    if (chunk.body.size() < 16) return true;
    std::uint16_t tag = Le16(&chunk.body[0]);
    const std::uint16_t channels = Le16(&chunk.body[2]);
    const std::uint32_t rate = Le32(&chunk.body[4]);
    const std::uint16_t block_align = Le16(&chunk.body[12]);
    const std::uint16_t bits = Le16(&chunk.body[14]);
    constexpr std::uint16_t kExtensible = 0xFFFE;
    // WAVE_FORMAT_EXTENSIBLE names the real encoding in the first two bytes of its sub-format.
    if (tag == kExtensible && chunk.body.size() >= 26) tag = Le16(&chunk.body[24]);
    if (channels < 1 || channels > 8 || rate < 1 || rate > 384'000 || block_align == 0) {
      return true;
    }
    switch (tag) {
      case 1:  // PCM
        decodable = (bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
                    block_align == channels * bits / 8;
        break;
      case 3:  // IEEE float
        decodable = (bits == 32 || bits == 64) && block_align == channels * bits / 8;
        break;
      case 6:  // A-law
      case 7:  // mu-law
        decodable = bits == 8 && block_align == channels;
        break;
      case 2:     // Microsoft ADPCM
      case 0x11:  // IMA ADPCM
        decodable = bits == 4 && channels <= 2;
        break;
      default:
        break;
    }
    return true;
  });
  return decodable;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path, std::size_t max_bytes) {
  return ReadRegularFile(path, max_bytes);
}

}  // namespace scenesaver::platform
