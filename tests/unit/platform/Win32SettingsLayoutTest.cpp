// The settings dialog's layout on Windows: the twips of the form turned into pixels.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/win32/SettingsDialogLayout.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace layout = platform::win32::settings_layout;
using layout::Kind;
using layout::Rect;

const layout::Control& Find(Kind kind, int index) {
  for (const layout::Control& control : layout::kControls) {
    if (control.kind == kind && control.index == index) return control;
  }
  throw std::logic_error("no such control");
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.Right() <= outer.Right() &&
         inner.Bottom() <= outer.Bottom();
}

TEST(Win32SettingsLayoutTest, FifteenTwipsMakeOnePixelAt96DpiAndOtherResolutionsRound) {
  EXPECT_EQ(layout::TwipsToPixels(layout::kClientWidthTwips, 96), 297);
  EXPECT_EQ(layout::TwipsToPixels(layout::kClientHeightTwips, 96), 138);
  EXPECT_EQ(layout::TwipsToPixels(15, 96), 1);
  EXPECT_EQ(layout::TwipsToPixels(7, 96), 0);        // 0.47 pixels
  EXPECT_EQ(layout::TwipsToPixels(8, 96), 1);        // 0.53 pixels
  EXPECT_EQ(layout::TwipsToPixels(4455, 120), 371);  // 371.25
  EXPECT_EQ(layout::TwipsToPixels(4455, 144), 446);  // 445.5, half away from zero
  EXPECT_EQ(layout::TwipsToPixels(-4455, 144), -446);
  EXPECT_EQ(layout::TwipsToPixels(2070, 192), 276);
}

TEST(Win32SettingsLayoutTest, OptionButtonsSitInTheirFrameAndEverythingElseInTheDialog) {
  // Option1(3) lies 1320 twips right of and 360 below the top left of Frame2 (120, 1080).
  EXPECT_EQ(layout::ClientTwips(Find(Kind::kOption, 3)), (Rect{1440, 1440, 855, 255}));
  EXPECT_EQ(layout::ClientTwips(Find(Kind::kOption, 0)), (Rect{360, 480, 855, 255}));
  EXPECT_EQ(layout::ClientTwips(Find(Kind::kCommand, 1)), (Rect{2880, 630, 1455, 330}));
  EXPECT_EQ(layout::ClientTwips(Find(Kind::kFrame, 1)), (Rect{120, 1080, 2535, 855}));

  const Rect client{0, 0, layout::kClientWidthTwips, layout::kClientHeightTwips};
  for (const layout::Control& control : layout::kControls) {
    const Rect place = layout::ClientTwips(control);
    EXPECT_TRUE(Inside(place, client)) << control.caption;
    if (control.kind == Kind::kOption) {
      const Rect frame =
          layout::ClientTwips(Find(Kind::kFrame, layout::FrameOfOption(control.index)));
      EXPECT_TRUE(Inside(place, frame)) << "Option1(" << control.index << ")";
    }
  }
}

TEST(Win32SettingsLayoutTest, NoTwoButtonsOverlapAtAnyCommonResolution) {
  for (const int dpi : {96, 120, 144, 168, 192}) {
    for (const layout::Control& a : layout::kControls) {
      for (const layout::Control& b : layout::kControls) {
        if (&a == &b || a.kind == Kind::kFrame || b.kind == Kind::kFrame) continue;
        EXPECT_FALSE(Overlap(layout::ToPixels(layout::ClientTwips(a), dpi, dpi),
                             layout::ToPixels(layout::ClientTwips(b), dpi, dpi)))
            << a.caption << " and " << b.caption << " at " << dpi << " dpi";
      }
    }
  }
}

TEST(Win32SettingsLayoutTest, PixelEdgesFollowTheTwipEdges) {
  // At 120 dpi (12 twips per pixel) "キャンセル" spans 630..960 twips, 52.5..80 pixels: its
  // bottom edge stays at 80, where rounding top and height apart would put it at 53 + 28 = 81.
  const Rect cancel = layout::ToPixels(layout::ClientTwips(Find(Kind::kCommand, 1)), 120, 120);
  EXPECT_EQ(cancel, (Rect{240, 53, 121, 27}));
  // At 96 dpi every value of the form is a whole number of pixels.
  const Rect ok = layout::ToPixels(layout::ClientTwips(Find(Kind::kCommand, 0)), 96, 96);
  EXPECT_EQ(ok, (Rect{192, 16, 97, 22}));
  EXPECT_EQ(layout::ToPixels(layout::ClientTwips(Find(Kind::kOption, 3)), 96, 96),
            (Rect{96, 96, 57, 17}));
}

}  // namespace
