// The names of the transitions (from the transition table), as a manifest may give them instead
// of numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenesaver::scenepack {

// "EffectOpenToLeftAndRight" for 1 ... "EffectPushFromBottom" for 29; empty for other numbers.
std::string_view EffectName(int number);

// The number of a transition name; nothing for an unknown name.
std::optional<int> EffectNumber(std::string_view name);

// The known name closest to `name` (case aside, a few letters changed, added or dropped), or
// empty when none is close: the suggestion after an unknown name.
std::string_view ClosestEffectName(std::string_view name);

// All names, comma-separated, for error messages and help.
std::string EffectNameList();

}  // namespace scenesaver::scenepack
