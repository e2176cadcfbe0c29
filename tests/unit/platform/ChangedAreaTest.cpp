// The area a transition reports with each refresh: every pixel outside it must be as the
// previous refresh showed it, or a present of only that area leaves stale pixels on the screen.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Geometry.h"
#include "tests/unit/effects/EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;
using platform::Rect;

// Keeps a copy of what a partial present would have left on the screen.
class ScreenLoop : public RecordingLoop {
 public:
  explicit ScreenLoop(const Surface& initial) : screen_(initial) {}
  void RefreshChanged(const Surface& picture1, const Rect& changed) override {
    for (int y = 0; y < picture1.Height(); ++y) {
      for (int x = 0; x < picture1.Width(); ++x) {
        const bool inside =
            x >= changed.left && x < changed.Right() && y >= changed.top && y < changed.Bottom();
        if (inside) {
          screen_.Row(y)[x] = picture1.Row(y)[x];
        } else if (screen_.Row(y)[x] != picture1.Row(y)[x]) {
          ++stale_pixels;
        }
      }
    }
    changed_areas.push_back(changed);
    Refresh(picture1);
  }
  int stale_pixels = 0;
  std::vector<Rect> changed_areas;

 private:
  Surface screen_;
};

struct Case {
  int width, height;
};

TEST(ChangedArea, NoTransitionLeavesAPixelOutsideTheAreaItReports) {
  for (const Case size : {Case{37, 23}, Case{61, 97}, Case{8, 5}}) {
    for (int number = effects::kFirstEffect; number <= effects::kLastEffect; ++number) {
      SCOPED_TRACE(testing::Message()
                   << "effect " << number << " at " << size.width << "x" << size.height);
      const Surface now = CodedPicture(size.width, size.height, kNowTag);
      const Surface next = CodedPicture(size.width, size.height, kNextTag);
      Surface picture1(size.width, size.height, 0x00FFFFFF);
      picture1.Cls();
      ScreenLoop loop(picture1);
      effects::State state;
      std::int16_t quit = 0;
      effects::RunTransition(number, state, loop, quit, picture1, now, next);
      EXPECT_EQ(loop.stale_pixels, 0);
      ASSERT_FALSE(loop.changed_areas.empty());
      for (const Rect& area : loop.changed_areas) {
        EXPECT_GE(area.left, 0);
        EXPECT_GE(area.top, 0);
        EXPECT_LE(area.Right(), size.width);
        EXPECT_LE(area.Bottom(), size.height);
      }
    }
  }
}

TEST(ChangedArea, StepsThatDrawPartOfThePictureReportOnlyThatPart) {
  // A wipe uncovers a strip per step: after the first step (which also carries the opening
  // copy of the whole picture) and before the last the areas are narrower than the picture.
  const Surface now = CodedPicture(200, 100, kNowTag);
  const Surface next = CodedPicture(200, 100, kNextTag);
  Surface picture1(200, 100);
  ScreenLoop loop(picture1);
  effects::State state;
  std::int16_t quit = 0;
  effects::RunTransition(19, state, loop, quit, picture1, now, next);
  ASSERT_GT(loop.changed_areas.size(), 2U);
  EXPECT_EQ(loop.changed_areas.front(), (Rect{0, 0, 200, 100}));
  for (std::size_t i = 1; i + 1 < loop.changed_areas.size(); ++i) {
    EXPECT_LT(loop.changed_areas[i].width, 200)
        << "step " << i << " of " << loop.changed_areas.size();
  }
}

TEST(Geometry, UnionAndClipping) {
  EXPECT_EQ(platform::Union({}, {2, 3, 4, 5}), (Rect{2, 3, 4, 5}));
  EXPECT_EQ(platform::Union({2, 3, 4, 5}, {0, 0, 0, 9}), (Rect{2, 3, 4, 5}));
  EXPECT_EQ(platform::Union({0, 0, 2, 2}, {5, -1, 1, 1}), (Rect{0, -1, 6, 3}));
  EXPECT_EQ(platform::ClipTo({-5, -5, 10, 10}, {4, 3}), (Rect{0, 0, 4, 3}));
  EXPECT_EQ(platform::ClipTo({4, 0, 10, 10}, {4, 3}), (Rect{}));
  EXPECT_EQ(platform::ClipTo({INT32_MAX - 1, 0, INT32_MAX, 1}, {4, 3}), (Rect{}));
}

}  // namespace
