// The show's temporary folder on Windows: "temp" plus the first free number inside the user's
// own temporary folder. Files are created new (never over an existing file) without following
// reparse points, and the clean-up deletes only the very files this object created, identified
// by volume and file index, through a handle opened on the file itself.
//
// Names and Path() are bytes of the system's ANSI code page, as the "A" functions that later
// open the files (mciSendStringA, PlaySoundA) read them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace scenesaver::platform {

class ExtractFolder {
 public:
  // Creates "temp" + N in `parent` (N from 1, skipping every existing entry). nullopt on failure.
  static std::optional<ExtractFolder> CreateNumbered(const std::string& parent);
  ExtractFolder(ExtractFolder&& other) noexcept;
  ExtractFolder& operator=(ExtractFolder&& other) noexcept;
  ExtractFolder(const ExtractFolder&) = delete;
  ExtractFolder& operator=(const ExtractFolder&) = delete;
  // Removes whatever this object created and still exists, then the folder.
  ~ExtractFolder();

  // Full path, ending with '\'.
  const std::string& Path() const { return path_; }
  // True for a name that may become a file directly inside the folder.
  static bool IsSafeName(std::string_view name);
  // Writes the bytes to the named file (replacing a file this run wrote). False if refused.
  bool WriteFile(std::string_view name, std::span<const std::uint8_t> bytes);
  // Deletes the named file if this run created it and it is a plain file.
  bool DeleteFile(std::string_view name);
  // Removes the folder if it is empty.
  bool RemoveFolder();
  // True when this run created the named file and has not deleted it yet.
  bool Holds(std::string_view name) const;

 private:
  struct FileId {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileId&) const = default;
  };
  ExtractFolder() = default;
  void Close();
  std::wstring WidePathOf(std::string_view name) const;
  std::string path_;
  std::wstring wide_path_;         // the folder, ending with '\'
  void* folder_handle_ = nullptr;  // held open so the folder cannot be replaced meanwhile
  FileId folder_id_;
  bool removed_ = true;
  std::map<std::string, FileId, std::less<>> created_;  // files this run wrote, by name
};

}  // namespace scenesaver::platform
