// The demo show's media, drawn and composed by program so the repository carries no binaries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

// A picture of 8-bit RGB pixels, row by row.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  Image(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {}
  void Set(int x, int y, Rgb c);
};

// The looks of the landscape pictures.
enum class Mood { Dawn, Noon, Sunset, Night, Fog, Autumn, Snow, Desert };

Image Landscape(int width, int height, Mood mood, std::uint32_t seed);
Image StillLife(int width, int height);
Image Postcard(int width, int height);
// A hot-air balloon on pure black, the show's background and so its key colour.
Image BalloonSprite(int width, int height);

std::vector<std::uint8_t> EncodeJpeg(const Image& image, int quality);
std::vector<std::uint8_t> EncodeBmp(const Image& image);

// A Standard MIDI File of about 40 seconds: melody, arpeggios and bass.
std::vector<std::uint8_t> Tune();

// Mono 16-bit WAV files of short effects.
std::vector<std::uint8_t> ChimeWav();
std::vector<std::uint8_t> WhooshWav();
std::vector<std::uint8_t> HarpWav();

}  // namespace demo
