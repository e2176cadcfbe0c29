// The file-name check with a real write: the input is a name (raw bytes, as a package stores
// them). A name the check accepts must become exactly one file directly inside a fresh tempN
// folder; a name it refuses must write nothing. After the folder's clean-up nothing may be left
// anywhere in the scratch tree, and the file planted beside the folder must be untouched.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/ExtractFolder.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

// The scratch tree: root/parent (where tempN is made), with a victim file in root/parent and
// one beside it in root. Removed at exit.
class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz_names.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    std::filesystem::create_directory(root_ / "parent");
    for (const auto& victim : {root_ / "victim", root_ / "parent" / "victim"}) {
      FILE* f = std::fopen(victim.c_str(), "wb");
      if (f == nullptr) std::abort();
      std::fputs("keep", f);
      std::fclose(f);
    }
  }
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string Parent() const { return (root_ / "parent").string(); }
  const std::filesystem::path& Root() const { return root_; }

 private:
  std::filesystem::path root_;
};

// The names in a folder, as raw bytes; aborts if it cannot be read.
std::vector<std::string> Entries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) std::abort();
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

bool Holds(const std::filesystem::path& file, std::string_view bytes) {
  FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[16] = {};
  const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  return std::string_view(buffer, n) == bytes;
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_names: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Scratch scratch;
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::vector<std::uint8_t> content = {'f', 'u', 'z', 'z'};
  const bool safe = platform::ExtractFolder::IsSafeName(name);
  {
    auto folder = platform::ExtractFolder::CreateNumbered(scratch.Parent());
    Check(folder.has_value(), "no folder");
    const std::string path = folder->Path();
    const bool written = folder->WriteFile(name, content);
    Check(written == safe, "a write disagrees with the name check");
    const std::vector<std::string> inside = Entries(path);
    if (safe) {
      Check(inside.size() == 1 && inside[0] == name, "the file is not the one named");
      struct stat st {};
      Check(::lstat((path + inside[0]).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                st.st_size == static_cast<off_t>(content.size()),
            "the file is not a plain file of the bytes written");
      Check(folder->DeleteFile(name) && !folder->DeleteFile(name), "delete");
      Check(Entries(path).empty(), "the delete left the file");
      Check(folder->WriteFile(name, content), "a second write was refused");
    } else {
      Check(inside.empty(), "a refused name wrote a file");
      Check(!folder->DeleteFile(name), "a refused name was deleted");
    }
  }
  // The folder's owner has gone: only the victims are left, unchanged.
  std::vector<std::string> parent = Entries(scratch.Parent());
  Check(parent.size() == 1 && parent[0] == "victim", "something was left in the parent folder");
  std::vector<std::string> root = Entries(scratch.Root().string());
  Check(root.size() == 2, "something appeared beside the parent folder");
  Check(Holds(scratch.Root() / "victim", "keep") &&
            Holds(scratch.Root() / "parent" / "victim", "keep"),
        "a victim file changed");
  return 0;
}
