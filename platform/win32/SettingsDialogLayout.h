// The settings dialog's controls as the form lays them out: positions and sizes in twips, the
// option buttons' relative to their frame. Pure data and arithmetic, no Windows header, so the
// layout can be checked on any system.
//
// A twip is 1/1440 inch. The form's designer measured everything in twips, so the exact pixel
// size on a screen of `dpi` logical pixels per inch is twips * dpi / 1440 (15 twips per pixel at
// 96 dpi). Dialog units would not do: they follow the dialog font's average character width and
// height, so the same twips would land on different pixels with every font. The dialog is
// therefore placed in pixels from these twips once its window exists.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace scenesaver::platform::win32::settings_layout {

inline constexpr int kTwipsPerInch = 1440;

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  constexpr int Right() const { return left + width; }
  constexpr int Bottom() const { return top + height; }
  constexpr bool operator==(const Rect&) const = default;
};

enum class Kind { kFrame, kOption, kCommand };

struct Control {
  Kind kind;
  int index;  // Option1(index), Command1(index), or the frame's number (0 = Frame1)
  std::string_view caption;
  Rect twips;  // relative to the container: the dialog, or for an option its frame
};

inline constexpr std::string_view kCaption = "設定";
inline constexpr int kClientWidthTwips = 4455;
inline constexpr int kClientHeightTwips = 2070;

// In tab order, which is also the order of creation (and so of the focus chain).
inline constexpr std::array<Control, 8> kControls{{
    {Kind::kFrame, 0, "BGM", {120, 120, 2535, 855}},
    {Kind::kOption, 0, "ON", {240, 360, 855, 255}},
    {Kind::kOption, 1, "OFF", {1320, 360, 855, 255}},
    {Kind::kFrame, 1, "Sound", {120, 1080, 2535, 855}},
    {Kind::kOption, 2, "ON", {240, 360, 855, 255}},
    {Kind::kOption, 3, "OFF", {1320, 360, 855, 255}},
    {Kind::kCommand, 0, "OK", {2880, 240, 1455, 330}},
    {Kind::kCommand, 1, "キャンセル", {2880, 630, 1455, 330}},
}};

// Option1(0, 1) lie in Frame1, Option1(2, 3) in Frame2.
constexpr int FrameOfOption(int option_index) { return option_index / 2; }

constexpr Rect FrameTwips(int frame) {
  for (const Control& control : kControls) {
    if (control.kind == Kind::kFrame && control.index == frame) return control.twips;
  }
  return {};
}

// The control's place in the dialog's client area, in twips.
constexpr Rect ClientTwips(const Control& control) {
  Rect place = control.twips;
  if (control.kind == Kind::kOption) {
    const Rect frame = FrameTwips(FrameOfOption(control.index));
    place.left += frame.left;
    place.top += frame.top;
  }
  return place;
}

// twips * dpi / 1440, rounded to the nearest pixel (halves away from zero).
constexpr int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

// Edges are converted, not sizes, so that neighbouring controls neither overlap nor open a gap
// through rounding.
constexpr Rect ToPixels(const Rect& twips, int dpi_x, int dpi_y) {
  const int left = TwipsToPixels(twips.left, dpi_x);
  const int top = TwipsToPixels(twips.top, dpi_y);
  return {left, top, TwipsToPixels(twips.Right(), dpi_x) - left,
          TwipsToPixels(twips.Bottom(), dpi_y) - top};
}

}  // namespace scenesaver::platform::win32::settings_layout
