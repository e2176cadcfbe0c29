// Decoded scene sounds kept by file, so that a sound which comes again with its scene is not
// read and decoded again on the show's thread at the moment it is due. An entry serves only
// while its file is still the one it was decoded from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <utility>

namespace scenesaver::platform {

// What tells one file from another, or from its own earlier content: device, inode, size and
// modification time.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file at `path` (links followed); nullopt for anything else.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// `Sound` owns one decoded sound (a unique_ptr with its deleter, say). The cache holds at most
// `capacity_bytes` of decoded data, forgetting the least recently used sounds first, but never
// the one it was last given: that one may be playing.
template <typename Sound>
class SoundCache {
 public:
  explicit SoundCache(std::size_t capacity_bytes) : capacity_(capacity_bytes) {}

  // The sound decoded from this path while it held this file, or nullptr.
  const Sound* Find(const std::string& path, const FileIdentity& file) {
    for (auto entry = entries_.begin(); entry != entries_.end(); ++entry) {
      if (entry->path != path) continue;
      if (!(entry->file == file)) return nullptr;
      entries_.splice(entries_.end(), entries_, entry);
      return &entries_.back().sound;
    }
    return nullptr;
  }

  // Keeps `sound`, `bytes` long once decoded, for the path, in place of what the path held.
  const Sound& Keep(const std::string& path, const FileIdentity& file, Sound sound,
                    std::size_t bytes) {
    entries_.remove_if([&path](const Entry& entry) { return entry.path == path; });
    entries_.push_back({path, file, std::move(sound), bytes});
    while (entries_.size() > 1 && Bytes() > capacity_) entries_.pop_front();
    return entries_.back().sound;
  }

  std::size_t Bytes() const {
    std::size_t total = 0;
    for (const Entry& entry : entries_) total += entry.bytes;
    return total;
  }
  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::string path;
    FileIdentity file;
    Sound sound;
    std::size_t bytes;
  };

  std::size_t capacity_;
  std::list<Entry> entries_;  // least recently used first
};

}  // namespace scenesaver::platform
