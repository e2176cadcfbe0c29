// The package's fields in the order they are stored, written down once. The writer, the length
// computation and the reader walk them with a visitor that has, for each kind of field,
//   bool Long(std::int32_t&, Field), bool Integer(std::int16_t&, Field),
//   bool Text(AnsiString&, Field), bool Bytes(ByteArray&, Field)
// (const references when the record is const). A visitor returns false to stop the walk.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "package/PackageRecord.h"

namespace scenesaver::package {

// Where each field of one scene starts, relative to the package's first byte.
struct SceneLayout {
  std::uint64_t PictureFileName = 0;
  std::uint64_t SoundFileName = 0;
  std::uint64_t DisplayTime = 0;
  std::uint64_t PictureLeft = 0;
  std::uint64_t PictureTop = 0;
  std::uint64_t EffectNumber = 0;
  std::uint64_t OverlayFlag = 0;
  std::uint64_t TransparentFlag = 0;
  std::uint64_t PictureData = 0;
  std::uint64_t SoundData = 0;
};

// Where each variable-position field starts, relative to the package's first byte. Only the
// fields that were reached are filled in; `scenes` holds the scenes read completely.
struct PackageLayout {
  std::uint64_t MusicFileName = 0;
  std::uint64_t MusicData = 0;
  std::uint64_t Scenes = 0;
  std::uint64_t PackageLength = 0;
  std::vector<SceneLayout> scenes;
};

// A field's name and, for a field whose position varies, where the reader records its offset.
template <typename Layout>
struct Field {
  std::string_view name;
  std::uint64_t Layout::*offset = nullptr;
};

// PictureWidth to MusicData: everything before the Scenes array.
template <typename Record, typename Visitor>
bool VisitHeaderFields(Record& p, Visitor& v) {
  using F = Field<PackageLayout>;
  return v.Long(p.PictureWidth, F{"PictureWidth"}) && v.Long(p.PictureHeight, F{"PictureHeight"}) &&
         v.Long(p.BackgroundColor, F{"BackgroundColor"}) &&
         v.Integer(p.HasSettings, F{"HasSettings"}) && v.Long(p.SceneCount, F{"SceneCount"}) &&
         v.Text(p.MusicFileName, F{"MusicFileName", &PackageLayout::MusicFileName}) &&
         v.Bytes(p.MusicData, F{"MusicData", &PackageLayout::MusicData});
}

// The fields of one scene record.
template <typename Scene, typename Visitor>
bool VisitSceneFields(Scene& s, Visitor& v) {
  using F = Field<SceneLayout>;
  return v.Text(s.PictureFileName, F{"PictureFileName", &SceneLayout::PictureFileName}) &&
         v.Text(s.SoundFileName, F{"SoundFileName", &SceneLayout::SoundFileName}) &&
         v.Long(s.DisplayTime, F{"DisplayTime", &SceneLayout::DisplayTime}) &&
         v.Long(s.PictureLeft, F{"PictureLeft", &SceneLayout::PictureLeft}) &&
         v.Long(s.PictureTop, F{"PictureTop", &SceneLayout::PictureTop}) &&
         v.Long(s.EffectNumber, F{"EffectNumber", &SceneLayout::EffectNumber}) &&
         v.Integer(s.OverlayFlag, F{"OverlayFlag", &SceneLayout::OverlayFlag}) &&
         v.Integer(s.TransparentFlag, F{"TransparentFlag", &SceneLayout::TransparentFlag}) &&
         v.Bytes(s.PictureData, F{"PictureData", &SceneLayout::PictureData}) &&
         v.Bytes(s.SoundData, F{"SoundData", &SceneLayout::SoundData});
}

}  // namespace scenesaver::package
