// Grid blocks: the next picture is uncovered one block of a 5 x 5 grid per step, in random
// order (effect 3) or in a clockwise inward spiral from the top-left block (effect 9).
#include <array>
#include <cmath>

#include "effects/Transitions.h"
#include "base/Numbers.h"

namespace scenesaver::effects {

using base::CheckedMul;
using base::px;

namespace {

constexpr std::int32_t kGrid = 5;
constexpr std::int32_t kBlockCount = kGrid * kGrid;

// BlockDone(column, row): 16-bit booleans, -1 once the block is drawn.
class BlockGrid {
 public:
  bool Done(std::int32_t x, std::int32_t y) const { return cells_[Index(x, y)] != 0; }
  void Mark(std::int32_t x, std::int32_t y) { cells_[Index(x, y)] = -1; }
  // A block inside the grid not drawn yet.
  bool Free(std::int32_t x, std::int32_t y) const {
    return x >= 0 && x < kGrid && y >= 0 && y < kGrid && !Done(x, y);
  }

 private:
  static std::size_t Index(std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(y) * kGrid + static_cast<std::size_t>(x);
  }
  std::array<std::int16_t, kBlockCount> cells_{};
};

struct BlockSize {
  std::int32_t width;
  std::int32_t height;
};

// Five blocks always reach past the surface's edge; the copy clips them.
BlockSize BlockSizeOf(const TransitionFrame& frame) {
  return {px(frame.W() / 5.0 + 1), px(frame.H() / 5.0 + 1)};
}

void CopyBlock(TransitionFrame& frame, BlockSize size, std::int32_t x, std::int32_t y) {
  const std::int32_t left = CheckedMul(x, size.width);
  const std::int32_t top = CheckedMul(y, size.height);
  frame.Copy(left, top, size.width, size.height, Source::kNextPicture, left, top);
}

std::int32_t RandomIndex(TransitionFrame& frame) {
  return static_cast<std::int32_t>(std::floor(kGrid * frame.NextRandom()));
}

enum class Direction { kRight, kDown, kLeft, kUp };

Direction Clockwise(Direction d) {
  switch (d) {
    case Direction::kRight:
      return Direction::kDown;
    case Direction::kDown:
      return Direction::kLeft;
    case Direction::kLeft:
      return Direction::kUp;
    case Direction::kUp:
      break;
  }
  return Direction::kRight;
}

struct Walker {
  std::int32_t x = -1;
  std::int32_t y = 0;
  Direction direction = Direction::kRight;

  // Moves one block in the current direction, turning clockwise while the way is blocked.
  // Returns false when no direction is open (never within the 25 steps).
  bool Advance(const BlockGrid& done) {
    for (int turns = 0; turns < 4; ++turns) {
      const std::int32_t nx = x + (direction == Direction::kRight  ? 1
                                   : direction == Direction::kLeft ? -1
                                                                   : 0);
      const std::int32_t ny = y + (direction == Direction::kDown ? 1
                                   : direction == Direction::kUp ? -1
                                                                 : 0);
      if (done.Free(nx, ny)) {
        x = nx;
        y = ny;
        return true;
      }
      direction = Clockwise(direction);
    }
    return false;
  }
};

}  // namespace

void EffectRandomBlocks(TransitionFrame& frame) {
  const BlockSize size = BlockSizeOf(frame);
  BlockGrid done;
  frame.Steps(kBlockCount, [&](std::int32_t) {
    // Draws pairs (column first, then row) until one names a block not drawn yet.
    for (;;) {
      const std::int32_t x = RandomIndex(frame);
      const std::int32_t y = RandomIndex(frame);
      if (!done.Done(x, y)) {
        done.Mark(x, y);
        CopyBlock(frame, size, x, y);
        return true;
      }
      if (frame.QuitRaised()) return false;
    }
  });
}

void EffectSpiralBlocks(TransitionFrame& frame) {
  const BlockSize size = BlockSizeOf(frame);
  BlockGrid done;
  Walker walker;
  frame.Steps(kBlockCount, [&](std::int32_t) {
    if (!walker.Advance(done)) return false;
    done.Mark(walker.x, walker.y);
    CopyBlock(frame, size, walker.x, walker.y);
    return true;
  });
}

}  // namespace scenesaver::effects
