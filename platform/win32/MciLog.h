// An optional record of every multimedia command string and the device's answer, for checking
// the music under test: when SCENESAVER_MCI_LOG names a file, each command appends a line
// "COMMAND<TAB>RETURN CODE<TAB>REPLY" to it.
#pragma once

#include <cstdint>
#include <fstream>
#include <optional>
#include <string_view>

namespace scenesaver::platform::win32 {

class MciLog {
 public:
  MciLog();
  void Record(std::string_view command, std::uint32_t code, std::string_view reply);

 private:
  std::optional<std::ofstream> file_;
};

}  // namespace scenesaver::platform::win32
