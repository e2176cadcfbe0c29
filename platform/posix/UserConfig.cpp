#include "platform/posix/UserConfig.h"

#include <charconv>
#include <string_view>

namespace scenesaver::platform {

namespace {

constexpr const char* kUsePasswordFile = "ScreenSaveUsePassword";
constexpr std::size_t kUsePasswordMaxBytes = 32;
constexpr const char* kScaleFile = "scale";

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::string ConfigFolderPath() {
  if (std::string config = AbsoluteEnvPath("XDG_CONFIG_HOME"); !config.empty()) {
    return config + "/scenesaver/";
  }
  if (std::string home = HomeFolder(); !home.empty()) return home + "/.config/scenesaver/";
  return {};
}

std::optional<OwnedFolder> OpenConfigFolder() {
  const std::string path = ConfigFolderPath();
  if (path.empty()) return std::nullopt;
  return OpenOwnedFolder(path);
}

std::optional<std::uint32_t> ReadScreenSaveUsePassword() {
  const std::string folder = ConfigFolderPath();
  if (folder.empty()) return std::nullopt;
  // Group or others must not be able to switch the password off.
  const SmallFile file = ReadSmallPrivateFile(folder + kUsePasswordFile, kUsePasswordMaxBytes, 022);
  if (file.status != SmallFileStatus::kRead) return std::nullopt;
  const std::string_view digits = TrimBlanks(file.bytes);
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return value;
}

ScaleMode ReadScaleSetting(std::string* problem) {
  const std::string folder = ConfigFolderPath();
  if (folder.empty()) return ScaleMode::kAuto;
  const SmallFile file = ReadSmallPrivateFile(folder + kScaleFile, kUsePasswordMaxBytes, 0);
  if (file.status == SmallFileStatus::kMissing) return ScaleMode::kAuto;
  const std::string_view text = TrimBlanks(file.bytes);
  const std::optional<ScaleMode> mode =
      file.status == SmallFileStatus::kRead ? ParseScaleMode(text) : std::nullopt;
  if (!mode && problem != nullptr) {
    *problem = folder + kScaleFile + ": not one of auto, 1 or fill; scaling automatically";
  }
  return mode.value_or(ScaleMode::kAuto);
}

bool WriteScreenSaveUsePassword(std::uint32_t value) {
  const auto folder = OpenConfigFolder();
  return folder && ReplaceFileIn(folder->fd.Get(), kUsePasswordFile, std::to_string(value) + "\n");
}

}  // namespace scenesaver::platform
