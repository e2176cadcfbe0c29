#include "tools/scenepack/EffectNames.h"

#include <algorithm>
#include <vector>

#include "effects/EffectModule.h"

namespace scenesaver::scenepack {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Edits (insert, delete, replace one letter, or swap two neighbours) from `a` to `b`, letters
// compared without case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
          Lower(a[i - 2]) == Lower(b[j - 1])) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

}  // namespace

std::string_view EffectName(int number) { return effects::DescribeTransition(number).name; }

std::optional<int> EffectNumber(std::string_view name) {
  for (int number = effects::kFirstEffect; number <= effects::kLastEffect; ++number) {
    if (EffectName(number) == name) return number;
  }
  return std::nullopt;
}

std::string EffectNameList() {
  std::string list;
  for (int number = effects::kFirstEffect; number <= effects::kLastEffect; ++number) {
    if (!list.empty()) list += ", ";
    list += EffectName(number);
  }
  return list;
}

std::string_view ClosestEffectName(std::string_view name) {
  std::string_view best;
  std::size_t best_distance = std::max<std::size_t>(2, name.size() / 5) + 1;
  for (int number = effects::kFirstEffect; number <= effects::kLastEffect; ++number) {
    const std::size_t distance = EditDistance(name, EffectName(number));
    if (distance < best_distance) {
      best = EffectName(number);
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace scenesaver::scenepack
