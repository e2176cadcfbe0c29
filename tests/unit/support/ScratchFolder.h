// A private scratch folder for one test's files, on every platform, removed with everything in
// it at the end (its owner's permissions are given back first, so a test may take them away).
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenesaver::testing_support {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& label = "scenesaver-test") {
#ifdef _WIN32
    // A fresh name: create_directory says false when the folder is there already.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
      const std::filesystem::path candidate =
          std::filesystem::temp_directory_path() / (label + "-" + std::to_string(random()));
      std::error_code error;
      if (std::filesystem::create_directory(candidate, error)) root_ = candidate;
    }
    if (root_.empty()) throw std::runtime_error("no scratch folder for " + label);
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (label + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp: " + pattern);
    root_ = pattern;
#endif
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
  }

  const std::filesystem::path& Root() const { return root_; }
  std::string Path() const { return root_.string(); }
  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  std::filesystem::path operator/(const std::string& name) const { return root_ / name; }

  // Writes a file of the folder; returns its path.
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string file = Path(name);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  std::string WriteText(const std::string& name, std::string_view text) const {
    return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  // The names of the folder's entries, in directory order.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace scenesaver::testing_support
