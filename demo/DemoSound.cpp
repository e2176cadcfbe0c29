// The demo's tune (a Standard MIDI File) and its three sound effects (WAV).
#include <algorithm>
#include <cmath>
#include <random>
#include <string_view>

#include "demo/DemoMedia.h"

namespace demo {
namespace {

constexpr int kTicksPerQuarter = 480;
constexpr int kEighth = kTicksPerQuarter / 2;
constexpr int kBar = kTicksPerQuarter * 4;
constexpr double kPi = 3.14159265358979323846;

struct Event {
  int tick;
  int order;  // note-offs before note-ons at the same tick
  std::vector<std::uint8_t> bytes;
};

void Note(std::vector<Event>& events, int channel, int key, int start, int length, int velocity) {
  const auto ch = static_cast<std::uint8_t>(channel);
  events.push_back({start,
                    1,
                    {static_cast<std::uint8_t>(0x90 | ch), static_cast<std::uint8_t>(key),
                     static_cast<std::uint8_t>(velocity)}});
  events.push_back({start + length,
                    0,
                    {static_cast<std::uint8_t>(0x80 | ch), static_cast<std::uint8_t>(key), 0}});
}

void VariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
  std::uint8_t buf[5];
  int n = 0;
  buf[n++] = value & 0x7F;
  while (value >>= 7) buf[n++] = static_cast<std::uint8_t>(0x80 | (value & 0x7F));
  while (n) out.push_back(buf[--n]);
}

void Big32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

std::vector<std::uint8_t> Wav(const std::vector<double>& samples, int rate) {
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  // Tags go in byte by byte: GCC 12 misreads an initializer-list insert into an empty vector
  // as an overflow (-Wstringop-overflow) at -O2 and above.
  auto tag = [&](std::string_view name) {
    for (const char c : name) out.push_back(static_cast<std::uint8_t>(c));
  };
  const auto data = static_cast<std::uint32_t>(samples.size() * 2);
  tag("RIFF");
  u32(36 + data);
  tag("WAVEfmt ");
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(static_cast<std::uint32_t>(rate));
  u32(static_cast<std::uint32_t>(rate * 2));
  u16(2);
  u16(16);
  tag("data");
  u32(data);
  const double peak = std::max(
      1e-9, *std::max_element(samples.begin(), samples.end(),
                              [](double a, double b) { return std::abs(a) < std::abs(b); }));
  for (const double s : samples) {
    const auto v = static_cast<std::int16_t>(std::lround(s / std::abs(peak) * 26000));
    u16(static_cast<std::uint16_t>(v));
  }
  return out;
}

constexpr int kRate = 22050;

}  // namespace

std::vector<std::uint8_t> Tune() {
  // Chords of the sixteen bars (root, third, fifth as MIDI keys).
  const int chords[16][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62},
                             {60, 64, 67}, {57, 60, 64}, {50, 53, 57}, {55, 59, 62},
                             {53, 57, 60}, {55, 59, 62}, {52, 55, 59}, {57, 60, 64},
                             {53, 57, 60}, {55, 59, 62}, {60, 64, 67}, {60, 64, 67}};
  // Melody as (key, length in eighths); key 0 is a rest.
  const std::vector<std::pair<int, int>> melody = {
      {76, 2}, {74, 1}, {76, 1}, {79, 2}, {76, 2}, {72, 2}, {76, 2}, {81, 4}, {81, 2}, {79, 1},
      {77, 1}, {76, 2}, {77, 2}, {74, 2}, {71, 2}, {67, 4}, {76, 2}, {79, 2}, {84, 3}, {83, 1},
      {81, 2}, {79, 2}, {76, 4}, {77, 2}, {76, 1}, {74, 1}, {81, 2}, {77, 2}, {79, 6}, {0, 2},
      {81, 2}, {84, 2}, {81, 2}, {79, 2}, {83, 2}, {86, 2}, {83, 2}, {79, 2}, {79, 2}, {76, 2},
      {83, 4}, {81, 2}, {84, 2}, {88, 4}, {86, 2}, {84, 1}, {81, 1}, {77, 2}, {81, 2}, {79, 2},
      {83, 2}, {86, 2}, {83, 2}, {84, 3}, {79, 1}, {76, 2}, {79, 2}, {84, 8}};
  std::vector<Event> events;
  auto program = [&](int channel, int instrument) {
    events.push_back(
        {0, 0, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(instrument)}});
  };
  program(0, 73);  // flute
  program(1, 0);   // piano
  program(2, 32);  // acoustic bass
  program(3, 48);  // strings
  int t = 0;
  for (const auto& [key, eighths] : melody) {
    if (key) Note(events, 0, key, t, eighths * kEighth - 20, 92);
    t += eighths * kEighth;
  }
  for (int bar = 0; bar < 16; ++bar) {
    const int* c = chords[bar];
    const int start = bar * kBar;
    const int pattern[8] = {c[0], c[1], c[2], c[0] + 12, c[2] + 12, c[0] + 12, c[2], c[1]};
    for (int i = 0; i < 8; ++i) Note(events, 1, pattern[i], start + i * kEighth, kEighth, 58);
    Note(events, 2, c[0] - 24, start, kTicksPerQuarter * 2 - 30, 88);
    Note(events, 2, c[0] - 24 + (bar % 2 ? 7 : 12), start + kTicksPerQuarter * 2,
         kTicksPerQuarter * 2 - 30, 80);
    for (int k = 0; k < 3; ++k) Note(events, 3, c[k] - 12, start, kBar - 10, 40);
    for (int beat = 0; beat < 4; ++beat) {
      Note(events, 9, 42, start + beat * kTicksPerQuarter, 60, beat == 0 ? 50 : 34);  // hi-hat
    }
    Note(events, 9, 36, start, 60, 60);                                      // kick
    if (bar % 4 == 3) Note(events, 9, 49, start + kBar - kEighth, 120, 40);  // cymbal
  }
  // Final chord held for a bar after the last one.
  for (int key : {48, 60, 64, 67, 72}) Note(events, 3, key, 16 * kBar, kBar, 60);
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });

  std::vector<std::uint8_t> track;
  // Tempo: 96 beats a minute, 625,000 microseconds a quarter; 17 bars make 42.5 seconds.
  track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03, 0x09, 0x89, 0x68});
  track.insert(track.end(), {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
  int last = 0;
  for (const Event& e : events) {
    VariableLength(track, static_cast<std::uint32_t>(e.tick - last));
    last = e.tick;
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

  std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  file.push_back(kTicksPerQuarter >> 8);
  file.push_back(kTicksPerQuarter & 0xFF);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  Big32(file, static_cast<std::uint32_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

std::vector<std::uint8_t> ChimeWav() {
  std::vector<double> s(kRate * 3 / 2);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / kRate;
    struct Partial {
      double ratio, decay, level;
    };
    for (const Partial& p : {Partial{1.0, 1.6, 1.0}, Partial{2.76, 3.0, 0.5},
                             Partial{5.40, 5.0, 0.25}, Partial{8.93, 8.0, 0.12}}) {
      s[i] += p.level * std::exp(-p.decay * t) * std::sin(2 * kPi * 880 * p.ratio * t);
    }
    s[i] *= std::min(1.0, t * 400);
  }
  return Wav(s, kRate);
}

std::vector<std::uint8_t> WhooshWav() {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> noise(-1, 1);
  std::vector<double> s(kRate);
  double low = 0, band = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / s.size();
    const double cutoff = 0.02 + 0.25 * std::sin(kPi * t);  // the sweep up and down
    low += cutoff * (noise(random) - low);
    band += cutoff * (low - band);
    s[i] = (low - band) * std::pow(std::sin(kPi * t), 2);
  }
  return Wav(s, kRate);
}

std::vector<std::uint8_t> HarpWav() {
  // Plucked strings (Karplus-Strong) rising through a C major arpeggio.
  std::mt19937 random(11);
  std::uniform_real_distribution<double> noise(-1, 1);
  std::vector<double> s(kRate * 2);
  const int keys[] = {60, 64, 67, 72, 76, 79, 84};
  for (int n = 0; n < 7; ++n) {
    const double f = 440 * std::pow(2.0, (keys[n] - 69) / 12.0);
    std::vector<double> line(static_cast<std::size_t>(kRate / f));
    for (double& v : line) v = noise(random);
    const std::size_t start = static_cast<std::size_t>(n) * kRate / 12;
    std::size_t at = 0;
    for (std::size_t i = start; i < s.size(); ++i) {
      const std::size_t next = (at + 1) % line.size();
      const double v = 0.996 * 0.5 * (line[at] + line[next]);
      s[i] += line[at] * 0.6;
      line[at] = v;
      at = next;
    }
  }
  return Wav(s, kRate);
}

}  // namespace demo
