// Feeds arbitrary bytes to the picture decoder: it must refuse or decode, never crash, hang or
// allocate beyond its limits.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/picture/PictureDecoder.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)platform::DecodePictureBytes(std::span(data, size), "input");
  return 0;
}
