// Reading music and sound files without playing them: which player a file needs (from its
// extension), the Standard MIDI File inside a RIFF MIDI file, and how long a file plays.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace scenesaver::platform {

enum class MusicKind { kMidi, kWave, kMp3, kOgg };

// .mid/.midi/.rmi, .wav, .mp3, .ogg (case-blind); nullopt for any other extension.
std::optional<MusicKind> MusicKindFromPath(std::string_view path);

// The Standard MIDI File in `bytes`: the bytes themselves when they start with "MThd", or the
// "data" chunk of a RIFF "RMID" file. Empty when neither.
std::span<const std::uint8_t> SmfPayload(std::span<const std::uint8_t> bytes);

// Playing time of a Standard MIDI File up to its last event, in milliseconds, following the
// tempo map (or the SMPTE time base). nullopt when the header or first track is unreadable; a
// track cut short counts up to its last complete event.
std::optional<std::uint32_t> SmfDurationMs(std::span<const std::uint8_t> smf);

// Playing time of a RIFF WAVE file from its format and data chunks, in milliseconds. A data
// chunk longer than the file counts only the bytes present. nullopt when not a readable WAVE.
std::optional<std::uint32_t> WaveDurationMs(std::span<const std::uint8_t> wave);

// In a RIFF WAVE file, lowers the declared size of a chunk that runs past the end of the data
// to what is there, so that a reader trusting the sizes never reserves more than the file
// holds. False (and `wave` unchanged) when it is not a RIFF WAVE file.
bool ClipWaveChunksToFile(std::vector<std::uint8_t>& wave);

// True when a RIFF WAVE file's format chunk describes sound a decoder can take without
// dividing by zero or trusting impossible sizes: 1 to 8 channels, a rate of 1 to 384,000
// frames a second, and a block size that matches the channels and sample width (PCM, float,
// A-law, mu-law) or is at least one byte (ADPCM). Other encodings are refused.
bool HasDecodableWaveFormat(std::span<const std::uint8_t> wave);

// Reads a whole file; nullopt when it cannot be opened or is larger than `max_bytes`.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path,
                                                       std::size_t max_bytes = 256u << 20);

}  // namespace scenesaver::platform
