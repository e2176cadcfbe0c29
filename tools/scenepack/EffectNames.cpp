#include "tools/scenepack/EffectNames.h"

#include "effects/EffectModule.h"

namespace scenesaver::scenepack {

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

}  // namespace scenesaver::scenepack
