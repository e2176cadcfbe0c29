#include "startup/PackageFormat.h"

namespace Module1 {

LoadResult LoadPackageFromFile(const std::string& /*path*/) { return {}; }
std::vector<std::uint8_t> SerializePackage(const Package& /*record*/) { return {}; }
std::uint64_t SerializedLength(const Package& /*record*/) { return 0; }

}  // namespace Module1
