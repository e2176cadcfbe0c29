// A private scratch folder for one test, with HOME, XDG_RUNTIME_DIR and XDG_CONFIG_HOME pointed
// into it so no test touches the real home. Restores the environment and removes the folder.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace scenesaver::testing_support {

class TestSandbox {
 public:
  TestSandbox() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scenesaver-test-XXXXXX");
    root_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    Set("HOME", root_ + "/home");
    Set("XDG_RUNTIME_DIR", root_ + "/run");
    Set("XDG_CONFIG_HOME", root_ + "/config");
    std::filesystem::create_directories(root_ + "/home");
    std::filesystem::create_directories(root_ + "/run");
    ::chmod((root_ + "/run").c_str(), 0700);
  }
  ~TestSandbox() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        ::setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        ::unsetenv(it->first.c_str());
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  TestSandbox(const TestSandbox&) = delete;
  TestSandbox& operator=(const TestSandbox&) = delete;

  const std::string& Root() const { return root_; }
  std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

  // Sets (or with nullopt unsets) an environment variable until the sandbox ends.
  void Set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Every path under the sandbox (links not followed) with its inode, mode, and a file's bytes
  // or a link's target: a fingerprint of the tree that also sees a file replaced by a copy.
  std::vector<std::string> Snapshot() const {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
      const auto status = entry.symlink_status();
      std::string line = entry.path().string();
      struct stat st {};
      if (::lstat(line.c_str(), &st) == 0) {
        // Appended piece by piece: GCC 12 at -O3 misreads `" text " + string` as an overlapping
        // copy (-Wrestrict).
        line.append(" inode ").append(std::to_string(st.st_ino));
        line.append(" mode ").append(std::to_string(st.st_mode));
      }
      if (std::filesystem::is_regular_file(status)) {
        line.append(" ").append(ReadBytes(entry.path().string()));
      } else if (std::filesystem::is_symlink(status)) {
        line.append(" -> ").append(std::filesystem::read_symlink(entry.path()).string());
      }
      out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

 private:
  std::string root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace scenesaver::testing_support
