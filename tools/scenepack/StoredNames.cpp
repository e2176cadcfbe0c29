#include "tools/scenepack/StoredNames.h"

#include <map>
#include <optional>

#include "package/PackageText.h"

namespace scenesaver::scenepack {
namespace {

constexpr std::size_t kMaxNameBytes = 65535;

// Why `name` cannot be stored, or empty when it can.
std::string Problem(const std::string& utf8, const std::optional<package::AnsiString>& name) {
  if (!name) return "'" + utf8 + "' cannot be written in code page 932";
  if (name->size() > kMaxNameBytes) return "longer than 65,535 bytes";
  if (name->find_first_of("/\\") != std::string::npos || *name == "." || *name == ".." ||
      name->find('\0') != std::string::npos) {
    return "'" + utf8 + "' is not a plain file name";
  }
  return {};
}

// ".jpg" from "Café.JPG": a short ASCII extension, lower-cased, else nothing.
std::string PlainExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name.size() - dot > 6) return {};
  std::string ext = ".";
  for (std::size_t i = dot + 1; i < name.size(); ++i) {
    const char c = name[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return {};
    ext += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return ext.size() > 1 ? ext : std::string();
}

struct Holder {
  const package::ByteArray* data;
  std::string where;
};

}  // namespace

std::string WithExtension(const std::string& name, const std::string& extension) {
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  return stem + extension;
}

StoredNames AssignStoredNames(const std::vector<StoredNameRequest>& requests) {
  StoredNames out;
  std::map<package::AnsiString, Holder> taken;
  auto same_file = [](const Holder& h, const package::ByteArray* data) {
    return h.data->bytes == data->bytes;
  };
  for (const StoredNameRequest& r : requests) {
    const bool has_file = r.data != nullptr && r.data->present;
    if (r.wanted.empty()) {
      if (has_file) {
        out.error = r.name_key + ": a file needs a non-empty stored name";
        return out;
      }
      out.names.emplace_back();
      continue;
    }
    const std::optional<package::AnsiString> converted = package::Utf8ToAnsi(r.wanted);
    const std::string problem = Problem(r.wanted, converted);
    if (r.chosen) {
      if (!problem.empty()) {
        out.error = r.name_key + ": " + problem;
        return out;
      }
      if (has_file) {
        const auto it = taken.find(*converted);
        if (it != taken.end() && !same_file(it->second, r.data)) {
          out.error = r.name_key + ": stored name '" + r.wanted + "' is also used by " +
                      it->second.where + " for a different file; choose another " + r.name_key;
          return out;
        }
        taken.try_emplace(*converted, Holder{r.data, r.where});
      }
      out.names.push_back(*converted);
      continue;
    }
    if (!has_file) {  // a name alone is never extracted, so it cannot clash
      if (!problem.empty()) {
        out.error = r.where + ": " + problem;
        return out;
      }
      out.names.push_back(*converted);
      continue;
    }
    std::string why;
    if (!problem.empty()) {
      why = problem;
    } else if (const auto it = taken.find(*converted);
               it != taken.end() && !same_file(it->second, r.data)) {
      why = "the name is taken by " + it->second.where;
    } else {
      taken.try_emplace(*converted, Holder{r.data, r.where});
      out.names.push_back(*converted);
      continue;
    }
    // The stable name; a later suffix only when a file of the show is itself named so.
    const std::string extension = PlainExtension(r.wanted);
    std::string name = r.fallback_stem + extension;
    for (int n = 2;; ++n) {
      const auto it = taken.find(name);
      if (it == taken.end() || same_file(it->second, r.data)) break;
      name = r.fallback_stem + "-" + std::to_string(n) + extension;
    }
    taken.try_emplace(name, Holder{r.data, r.where});
    std::string note = r.where;
    note += ": '" + r.wanted + "' is stored as '" + name + "' (";
    note += why + "; " + r.name_key + " chooses another)";
    out.renamed.push_back(std::move(note));
    out.names.push_back(name);
  }
  return out;
}

}  // namespace scenesaver::scenepack
