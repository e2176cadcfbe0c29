// The data package appended to a player file: its records and their serialized form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Module1 {

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

}  // namespace Module1
