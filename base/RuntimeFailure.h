// A run-time failure inside the presentation: it travels to the show's one failure handler,
// which reports its description and source in a message box.
#pragma once

#include <stdexcept>
#include <string>

#include "base/Texts.h"

namespace scenesaver::base {

// The description of an arithmetic overflow.
inline constexpr const char* kOverflow = Translatable("オーバーフローしました。");

class RuntimeFailure : public std::runtime_error {
 public:
  RuntimeFailure(std::string description, std::string source)
      : std::runtime_error(description),
        description_(std::move(description)),
        source_(std::move(source)) {}
  const std::string& Description() const { return description_; }
  const std::string& Source() const { return source_; }

 private:
  std::string description_;
  std::string source_;
};

}  // namespace scenesaver::base
