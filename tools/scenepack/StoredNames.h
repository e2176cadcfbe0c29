// The names the media files are stored under. A file's own name is used when the package can
// hold it; a name outside code page 932, or one already taken by a different file, gives way to
// a short stable name such as photo-0007.jpg. A name the manifest chose (a *_name key) is used
// as it is, or the build fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageRecord.h"

namespace scenesaver::scenepack {

struct StoredNameRequest {
  std::string wanted;         // UTF-8: the file's own name or the value of the *_name key
  bool chosen = false;        // came from a *_name key
  std::string fallback_stem;  // "photo-0007": the stable name used when `wanted` cannot be
  std::string where;          // "scenes[6].picture", for messages
  std::string name_key;       // "scenes[6].picture_name", for messages
  const package::ByteArray* data = nullptr;  // the file, or absent for a name alone
};

struct StoredNames {
  std::vector<package::AnsiString> names;  // one per request, in order
  std::vector<std::string> renamed;        // "scenes[6].picture: 'x.jpg' is stored as ..."
  std::string error;                       // "scenes[6].picture_name: ..." when one is refused
};

// Assigns a name to every request, in order: a file keeps the name of an earlier file with the
// same bytes, so a picture shown twice is stored once.
StoredNames AssignStoredNames(const std::vector<StoredNameRequest>& requests);

// `name` with its extension replaced by `extension` (".jpg"); the extension is added when there
// is none.
std::string WithExtension(const std::string& name, const std::string& extension);

}  // namespace scenesaver::scenepack
