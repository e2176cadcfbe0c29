#include "platform/picture/PictureDecoder.h"

namespace platform {

std::optional<std::string> DecodePicture(const std::string& path, Surface& /*out*/) {
  return "cannot decode " + path;
}

}  // namespace platform
