// scenepack inspect: every field of a saver's package with its byte offset, as a table or JSON.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "package/PackageFields.h"
#include "package/PackageFormat.h"
#include "package/PackageText.h"
#include "tools/scenepack/EffectNames.h"
#include "tools/scenepack/Subcommands.h"

namespace scenesaver::scenepack {
namespace {

using nlohmann::json;

struct InspectOptions {
  std::string file;
  bool json = false;
};

// Whether the field at package offset `at` was read: a load stops at the failing field.
bool WasRead(const package::LoadResult& r, std::uint64_t at) {
  if (!r.found) return false;
  return !r.problem || r.package_offset + at < r.problem->offset;
}

std::string Colour(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  if (v > 0xFFFFFF) return std::to_string(value);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d (#%02X%02X%02X)", value, v & 0xFF, v >> 8 & 0xFF,
                v >> 16 & 0xFF);
  return buf;
}

std::string Flag(std::int16_t value) {
  return std::to_string(value) + (value != 0 ? " (on)" : " (off)");
}

std::string Name(const package::AnsiString& name) {
  return "\"" + package::AnsiToUtf8(name) + "\" (" + std::to_string(name.size()) + " bytes)";
}

std::string Array(const package::ByteArray& a) {
  if (!a.present) return "absent";
  return std::to_string(a.bytes.size()) + " bytes";
}

std::string Effect(std::int32_t number) {
  if (number == 0) return "0 (cut)";
  const std::string_view name = EffectName(number);
  return std::to_string(number) +
         (name.empty() ? " (not a transition)" : " (" + std::string(name) + ")");
}

// Walks the fields that were read, in stored order, handing each to `sink` as
// (offset, name, table text, JSON value). Offsets of fixed-size header fields follow from their
// sizes; the others come from the reader's layout.
template <typename Layout, typename Sink>
class FieldWalk {
 public:
  FieldWalk(const package::LoadResult& r, const Layout& layout, Sink& sink)
      : r_(r), layout_(layout), sink_(sink) {}

  bool Long(std::int32_t value, package::Field<Layout> f) {
    std::string text = std::to_string(value);
    if (f.name == "BackgroundColor") text = Colour(value);
    if (f.name == "DisplayTime") text += " ms";
    if (f.name == "EffectNumber") text = Effect(value);
    return Emit(f, 4, text, json(value));
  }
  bool Integer(std::int16_t value, package::Field<Layout> f) {
    return Emit(f, 2, Flag(value), json(value));
  }
  bool Text(const package::AnsiString& name, package::Field<Layout> f) {
    return Emit(f, 0, Name(name), {{"value", package::AnsiToUtf8(name)}, {"bytes", name.size()}});
  }
  bool Bytes(const package::ByteArray& a, package::Field<Layout> f) {
    return Emit(f, 0, Array(a), {{"present", a.present}, {"size", a.bytes.size()}});
  }

 private:
  // A field the load did not reach ends the walk.
  bool Emit(package::Field<Layout> f, std::uint64_t size, const std::string& text, json value) {
    const std::uint64_t at = f.offset != nullptr ? layout_.*f.offset : next_;
    if ((f.offset != nullptr && at == 0) || !WasRead(r_, at)) return false;
    next_ = at + size;
    if (!value.is_object()) value = {{"value", value}};
    value["offset"] = at;
    sink_(at, f.name, text, value);
    return true;
  }

  const package::LoadResult& r_;
  const Layout& layout_;
  Sink& sink_;
  std::uint64_t next_ = 0;
};

template <typename Sink>
void WalkHeader(const package::LoadResult& r, Sink&& sink) {
  FieldWalk<package::PackageLayout, Sink> walk(r, r.layout, sink);
  package::VisitHeaderFields(r.record, walk);
}

template <typename Sink>
void WalkScene(const package::LoadResult& r, std::size_t i, Sink&& sink) {
  FieldWalk<package::SceneLayout, Sink> walk(r, r.layout.scenes[i], sink);
  package::VisitSceneFields(r.record.Scenes[i], walk);
}

std::size_t ScenesRead(const package::LoadResult& r) {
  return std::min(r.record.Scenes.size(), r.layout.scenes.size());
}

void PrintTable(const package::LoadResult& r, const std::string& file, std::ostream& out) {
  const package::Package& p = r.record;
  out << "file      " << file << " (" << r.file_size << " bytes)\n";
  if (r.found) {
    out << "package   at file offset " << r.package_offset << ", "
        << (r.file_size - r.package_offset) << " bytes; offsets below are within the package\n";
    out << "    offset  field            value\n";
    const auto row = [&out](std::uint64_t offset, std::string_view field,
                            const std::string& value) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%10llu  %-16.*s ", static_cast<unsigned long long>(offset),
                    static_cast<int>(field.size()), field.data());
      out << buf << value << "\n";
    };
    const auto table = [&row](std::uint64_t at, std::string_view name, const std::string& text,
                              const json& /*value*/) { row(at, name, text); };
    WalkHeader(r, table);
    const package::PackageLayout& l = r.layout;
    if (l.Scenes && WasRead(r, l.Scenes)) {
      row(l.Scenes, "Scenes",
          p.ScenesPresent ? "lower bound " + std::to_string(p.ScenesLowerBound) : "absent");
    }
    for (std::size_t i = 0; i < ScenesRead(r); ++i) {
      out << "scene " << i << "\n";
      WalkScene(r, i, table);
    }
    if (l.PackageLength && WasRead(r, l.PackageLength)) {
      row(l.PackageLength, "PackageLength", std::to_string(p.PackageLength));
    }
  }
  if (r.problem) {
    out << "problem   at file offset " << r.problem->offset << ": " << r.problem->message << "\n";
  } else {
    out << "ok        the package reads completely and ends at the end of the file\n";
  }
}

json ToJson(const package::LoadResult& r, const std::string& file) {
  const package::Package& p = r.record;
  const package::PackageLayout& l = r.layout;
  json j = {{"file", file}, {"file_size", r.file_size}, {"found", r.found}};
  j["problem"] = r.problem ? json{{"offset", r.problem->offset}, {"message", r.problem->message}}
                           : json(nullptr);
  if (!r.found) return j;
  j["package_offset"] = r.package_offset;
  json fields = json::object();
  const auto into = [](json& object) {
    return [&object](std::uint64_t /*at*/, std::string_view name, const std::string& /*text*/,
                     const json& value) { object[std::string(name)] = value; };
  };
  WalkHeader(r, into(fields));
  if (l.Scenes && WasRead(r, l.Scenes)) {
    fields["Scenes"] = {
        {"offset", l.Scenes}, {"present", p.ScenesPresent}, {"lower_bound", p.ScenesLowerBound}};
  }
  json scenes = json::array();
  for (std::size_t i = 0; i < ScenesRead(r); ++i) {
    json scene = json::object();
    WalkScene(r, i, into(scene));
    scenes.push_back(scene);
  }
  j["scenes"] = scenes;
  if (l.PackageLength && WasRead(r, l.PackageLength)) {
    fields["PackageLength"] = {{"offset", l.PackageLength}, {"value", p.PackageLength}};
  }
  j["fields"] = fields;
  return j;
}

int RunInspect(const InspectOptions& options) {
  const package::LoadResult r = package::LoadPackageFromFile(options.file);
  if (options.json) {
    std::cout << ToJson(r, options.file).dump(2) << "\n";
  } else {
    PrintTable(r, options.file, std::cout);
  }
  return r.problem ? 1 : 0;
}

}  // namespace

void RegisterInspect(CLI::App& app, int& exit_code) {
  CLI::App* inspect =
      app.add_subcommand("inspect", "Show every field of a saver's package with its byte offset");
  auto options = std::make_shared<InspectOptions>();
  inspect->add_option("FILE", options->file, "the saver file")->required();
  inspect->add_flag("--json", options->json, "print JSON instead of a table");
  inspect->footer(
      "Exit status: 0 the package reads completely, 1 no package or a damaged one (what could\n"
      "be read is shown, and the problem with its file offset).");
  inspect->callback([options, &exit_code] { exit_code = RunInspect(*options); });
}

}  // namespace scenesaver::scenepack
