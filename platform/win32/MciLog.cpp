#include "platform/win32/MciLog.h"

#include <cstdlib>

namespace scenesaver::platform::win32 {

MciLog::MciLog() {
  if (const char* path = std::getenv("SCENESAVER_MCI_LOG"); path != nullptr && *path != '\0') {
    file_.emplace(path, std::ios::app | std::ios::binary);
    if (!*file_) file_.reset();
  }
}

void MciLog::Record(std::string_view command, std::uint32_t code, std::string_view reply) {
  if (!file_) return;
  *file_ << command << '\t' << code << '\t' << reply << '\n';
  file_->flush();
}

}  // namespace scenesaver::platform::win32
