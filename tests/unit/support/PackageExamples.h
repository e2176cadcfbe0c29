// Packages shared by the reader's tests: the one-scene 550 x 550 example and a two-scene
// package with every field set, with helpers to put a player in front of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "package/PackageRecord.h"

namespace scenesaver::testing_support {

inline std::vector<std::uint8_t> Pattern(std::size_t n, std::uint8_t seed) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7);
  return v;
}

inline package::ByteArray Present(std::vector<std::uint8_t> bytes) {
  return package::ByteArray{true, 0, std::move(bytes)};
}

// A present file holding `text`.
inline package::ByteArray TextData(std::string_view text) {
  return Present({text.begin(), text.end()});
}

// The one-scene package: 550 x 550, colour 2, settings on, "bgm.mid", one picture "0".
inline package::Package WorkedExample() {
  package::Package p;
  p.PictureWidth = 550;
  p.PictureHeight = 550;
  p.BackgroundColor = 2;
  p.HasSettings = 1;
  p.SceneCount = 1;
  p.MusicFileName = "bgm.mid";
  p.MusicData = Present(Pattern(20117, 1));
  p.ScenesPresent = true;
  package::SceneRecord s;
  s.PictureFileName = "0";
  s.DisplayTime = 5000;
  s.EffectNumber = 23;
  s.PictureData = Present(Pattern(78949, 3));
  p.Scenes.push_back(s);
  return p;
}

inline package::Package TwoScenes() {
  package::Package p;
  p.PictureWidth = 640;
  p.PictureHeight = 480;
  p.BackgroundColor = 0x00FF00;
  p.HasSettings = -1;
  p.SceneCount = 2;
  p.ScenesPresent = true;
  package::SceneRecord a;
  a.PictureFileName = "a.jpg";
  a.SoundFileName = "a.wav";
  a.DisplayTime = 1500;
  a.PictureLeft = -3;
  a.PictureTop = 7;
  a.EffectNumber = 19;
  a.OverlayFlag = -1;
  a.TransparentFlag = -1;
  a.PictureData = Present(Pattern(300, 9));
  a.SoundData = Present(Pattern(40, 5));
  package::SceneRecord b = a;
  b.PictureFileName = "\x83\x65\x83\x58\x83\x67.jpg";  // CP932 katakana
  b.SoundFileName.clear();
  b.SoundData = package::ByteArray{};
  p.Scenes = {a, b};
  return p;
}

// `player_size` bytes standing for the program, then the package.
inline std::vector<std::uint8_t> WithPlayer(std::size_t player_size,
                                            const std::vector<std::uint8_t>& pkg) {
  std::vector<std::uint8_t> file = Pattern(player_size, 42);
  file.insert(file.end(), pkg.begin(), pkg.end());
  return file;
}

}  // namespace scenesaver::testing_support
