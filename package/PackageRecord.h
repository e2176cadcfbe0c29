// The data package appended to a player file: its records and their serialized form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenesaver::package {

// A text as stored: raw bytes of the ANSI code page (CP932), no terminator.
using AnsiString = std::string;

// A one-dimensional byte array as stored: absent (dimension count 0) or present with its
// lower bound and bytes.
struct ByteArray {
  bool present = false;
  std::int32_t lower_bound = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const ByteArray&) const = default;
};

struct SceneRecord {
  AnsiString PictureFileName;
  AnsiString SoundFileName;
  std::int32_t DisplayTime = 0;
  std::int32_t PictureLeft = 0;
  std::int32_t PictureTop = 0;
  std::int32_t EffectNumber = 0;
  std::int16_t OverlayFlag = 0;
  std::int16_t TransparentFlag = 0;
  ByteArray PictureData;
  ByteArray SoundData;
  bool operator==(const SceneRecord&) const = default;
};

struct Package {
  std::int32_t PictureWidth = 0;
  std::int32_t PictureHeight = 0;
  std::int32_t BackgroundColor = 0;
  std::int16_t HasSettings = 0;
  std::int32_t SceneCount = 0;
  AnsiString MusicFileName;
  ByteArray MusicData;
  // The Scenes array header: present (dimension count 1) with its lower bound.
  bool ScenesPresent = false;
  std::int32_t ScenesLowerBound = 0;
  std::vector<SceneRecord> Scenes;
  std::int32_t PackageLength = 0;
  bool operator==(const Package&) const = default;
};

// The scene that the package calls `index` (its Scenes array may start at a lower bound other
// than 0), or nullptr when the array does not hold it.
inline const SceneRecord* SceneAt(const Package& package, std::int32_t index) {
  if (!package.ScenesPresent) return nullptr;
  const std::int64_t position =
      static_cast<std::int64_t>(index) - static_cast<std::int64_t>(package.ScenesLowerBound);
  if (position < 0 || position >= static_cast<std::int64_t>(package.Scenes.size())) return nullptr;
  return &package.Scenes[static_cast<std::size_t>(position)];
}

}  // namespace scenesaver::package
