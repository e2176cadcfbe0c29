// Grid blocks: random (effect 3) and spiral (effect 9) on a 5 x 5 grid.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>
#include <vector>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;
using Block = std::pair<int, int>;  // column, row

// The block each step copies, from its rectangle of width bw and height bh.
std::vector<Block> BlockOrder(const Recording& run, int bw, int bh) {
  std::vector<Block> order;
  for (const auto& step : run.steps) {
    EXPECT_EQ(step.size(), 1u);
    const DrawCall& c = step.at(0);
    EXPECT_EQ(c.w, bw);
    EXPECT_EQ(c.h, bh);
    EXPECT_EQ(c.x % bw, 0);
    EXPECT_EQ(c.y % bh, 0);
    EXPECT_EQ(std::make_pair(c.sx, c.sy), std::make_pair(c.x, c.y));
    order.emplace_back(c.x / bw, c.y / bh);
  }
  return order;
}

TEST(EffectsGridBlocks, SpiralRunsClockwiseInwardsFromTheTopLeft) {
  Harness h(800, 600, 2, 2);  // blocks of 161 x 121
  const auto order = BlockOrder(h.Play(9), 161, 121);
  constexpr int kStepOf[5][5] = {{1, 2, 3, 4, 5},
                                 {16, 17, 18, 19, 6},
                                 {15, 24, 25, 20, 7},
                                 {14, 23, 22, 21, 8},
                                 {13, 12, 11, 10, 9}};
  ASSERT_EQ(order.size(), 25u);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto [x, y] = order[i];
    EXPECT_EQ(kStepOf[y][x], static_cast<int>(i) + 1) << "block " << x << "," << y;
  }
}

TEST(EffectsGridBlocks, BlocksReachPastTheEdgeAndTogetherCoverTheSurface) {
  for (const int number : {3, 9}) {
    SCOPED_TRACE(number);
    Harness h(1024, 37);  // blocks of 206 x 8: five span 1030 x 40
    bool covered_before_final_copy = false;
    h.loop.on_refresh = [&](const Surface& s, int step) {
      if (step == 24)
        covered_before_final_copy = std::equal(s.Pixels().begin(), s.Pixels().end(),
                                               h.next.Pixels().begin(), h.next.Pixels().end());
    };
    const auto order = BlockOrder(h.Play(number), 206, 8);
    EXPECT_EQ(std::set<Block>(order.begin(), order.end()).size(), 25u);
    EXPECT_TRUE(covered_before_final_copy);
  }
}

TEST(EffectsGridBlocks, RandomOrderRepeatsAfterEveryStartAndRunsOnWithinOne) {
  Harness first(50, 50);
  const auto order1 = BlockOrder(first.Play(3), 11, 11);
  Harness second(50, 50);  // a fresh start: a fresh, unseeded generator
  const auto order2 = BlockOrder(second.Play(3), 11, 11);
  EXPECT_EQ(order1, order2);

  // The same generator again: the sequence continues, so the order differs.
  RecordingLoop loop;
  std::int16_t quit = 0;
  effects::RunTransition(3, first.state, loop, quit, first.picture1, first.now, first.next, &loop);
  const auto order3 = BlockOrder(Split(loop.log), 11, 11);
  EXPECT_EQ(order3.size(), 25u);
  EXPECT_NE(order1, order3);
}

TEST(EffectsGridBlocks, QuitDuringRandomBlocksShowsTheWholeNextPicture) {
  Harness h(50, 50);
  h.loop.quit_after_refresh = 7;
  EXPECT_EQ(h.Play(3).steps.size(), 7u);
  EXPECT_TRUE(h.Shows(h.next));
}

}  // namespace
