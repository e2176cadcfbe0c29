// Message boxes.
#pragma once

#include <string_view>

namespace scenesaver::platform {

enum class MessageIcon { kInformation, kWarning };

class Messages {
 public:
  virtual ~Messages() = default;
  virtual void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace scenesaver::platform
