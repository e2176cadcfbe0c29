// The package reader on arbitrary files: it must never crash, hang or over-allocate, and a
// file it reads without a problem must serialize back to exactly its package bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "package/PackageFormat.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const package::LoadResult r = package::LoadPackageFromBytes({data, size});
  if (r.problem) return 0;
  const std::vector<std::uint8_t> bytes = package::SerializePackage(r.record);
  if (r.package_offset + bytes.size() != size ||
      std::memcmp(bytes.data(), data + r.package_offset, bytes.size()) != 0) {
    std::abort();
  }
  return 0;
}
