// scenepack inspect: every field of a saver's package with its byte offset, as a table or JSON.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

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
  std::string text = std::to_string(a.bytes.size()) + " bytes";
  if (a.lower_bound != 0) text += ", lower bound " + std::to_string(a.lower_bound);
  return text;
}

std::string Effect(std::int32_t number) {
  if (number == 0) return "0 (cut)";
  const std::string_view name = EffectName(number);
  return std::to_string(number) +
         (name.empty() ? " (not a transition)" : " (" + std::string(name) + ")");
}

class Table {
 public:
  explicit Table(std::ostream& out) : out_(out) {}
  void Row(std::uint64_t offset, const char* field, const std::string& value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%10llu  %-16s ", static_cast<unsigned long long>(offset),
                  field);
    out_ << buf << value << "\n";
  }

 private:
  std::ostream& out_;
};

void PrintTable(const package::LoadResult& r, const std::string& file, std::ostream& out) {
  const package::Package& p = r.record;
  out << "file      " << file << " (" << r.file_size << " bytes)\n";
  if (r.found) {
    out << "package   at file offset " << r.package_offset << ", "
        << (r.file_size - r.package_offset) << " bytes; offsets below are within the package\n";
    out << "    offset  field            value\n";
    Table t(out);
    if (WasRead(r, 0)) t.Row(0, "PictureWidth", std::to_string(p.PictureWidth));
    if (WasRead(r, 4)) t.Row(4, "PictureHeight", std::to_string(p.PictureHeight));
    if (WasRead(r, 8)) t.Row(8, "BackgroundColor", Colour(p.BackgroundColor));
    if (WasRead(r, 12)) t.Row(12, "HasSettings", Flag(p.HasSettings));
    if (WasRead(r, 14)) t.Row(14, "SceneCount", std::to_string(p.SceneCount));
    const package::PackageLayout& l = r.layout;
    if (WasRead(r, l.MusicFileName) && l.MusicFileName) {
      t.Row(l.MusicFileName, "MusicFileName", Name(p.MusicFileName));
    }
    if (WasRead(r, l.MusicData) && l.MusicData) t.Row(l.MusicData, "MusicData", Array(p.MusicData));
    if (WasRead(r, l.Scenes) && l.Scenes) {
      t.Row(l.Scenes, "Scenes",
            p.ScenesPresent ? "lower bound " + std::to_string(p.ScenesLowerBound) : "absent");
    }
    for (std::size_t i = 0; i < p.Scenes.size() && i < l.scenes.size(); ++i) {
      const package::SceneRecord& s = p.Scenes[i];
      const package::SceneLayout& sl = l.scenes[i];
      out << "scene " << i << "\n";
      t.Row(sl.PictureFileName, "PictureFileName", Name(s.PictureFileName));
      t.Row(sl.SoundFileName, "SoundFileName", Name(s.SoundFileName));
      t.Row(sl.DisplayTime, "DisplayTime", std::to_string(s.DisplayTime) + " ms");
      t.Row(sl.PictureLeft, "PictureLeft", std::to_string(s.PictureLeft));
      t.Row(sl.PictureTop, "PictureTop", std::to_string(s.PictureTop));
      t.Row(sl.EffectNumber, "EffectNumber", Effect(s.EffectNumber));
      t.Row(sl.OverlayFlag, "OverlayFlag", Flag(s.OverlayFlag));
      t.Row(sl.TransparentFlag, "TransparentFlag", Flag(s.TransparentFlag));
      t.Row(sl.PictureData, "PictureData", Array(s.PictureData));
      t.Row(sl.SoundData, "SoundData", Array(s.SoundData));
    }
    if (l.PackageLength && WasRead(r, l.PackageLength)) {
      t.Row(l.PackageLength, "PackageLength", std::to_string(p.PackageLength));
    }
  }
  if (r.problem) {
    out << "problem   at file offset " << r.problem->offset << ": " << r.problem->message << "\n";
  } else {
    out << "ok        the package reads completely and ends at the end of the file\n";
  }
}

json Field(std::uint64_t offset, json value) { return {{"offset", offset}, {"value", value}}; }
json NameJson(std::uint64_t offset, const package::AnsiString& name) {
  return {{"offset", offset}, {"value", package::AnsiToUtf8(name)}, {"bytes", name.size()}};
}
json ArrayJson(std::uint64_t offset, const package::ByteArray& a) {
  return {{"offset", offset},
          {"present", a.present},
          {"size", a.bytes.size()},
          {"lower_bound", a.lower_bound}};
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
  if (WasRead(r, 0)) fields["PictureWidth"] = Field(0, p.PictureWidth);
  if (WasRead(r, 4)) fields["PictureHeight"] = Field(4, p.PictureHeight);
  if (WasRead(r, 8)) fields["BackgroundColor"] = Field(8, p.BackgroundColor);
  if (WasRead(r, 12)) fields["HasSettings"] = Field(12, p.HasSettings);
  if (WasRead(r, 14)) fields["SceneCount"] = Field(14, p.SceneCount);
  if (l.MusicFileName && WasRead(r, l.MusicFileName)) {
    fields["MusicFileName"] = NameJson(l.MusicFileName, p.MusicFileName);
  }
  if (l.MusicData && WasRead(r, l.MusicData))
    fields["MusicData"] = ArrayJson(l.MusicData, p.MusicData);
  if (l.Scenes && WasRead(r, l.Scenes)) {
    fields["Scenes"] = {
        {"offset", l.Scenes}, {"present", p.ScenesPresent}, {"lower_bound", p.ScenesLowerBound}};
  }
  json scenes = json::array();
  for (std::size_t i = 0; i < p.Scenes.size() && i < l.scenes.size(); ++i) {
    const package::SceneRecord& s = p.Scenes[i];
    const package::SceneLayout& sl = l.scenes[i];
    scenes.push_back({
        {"PictureFileName", NameJson(sl.PictureFileName, s.PictureFileName)},
        {"SoundFileName", NameJson(sl.SoundFileName, s.SoundFileName)},
        {"DisplayTime", Field(sl.DisplayTime, s.DisplayTime)},
        {"PictureLeft", Field(sl.PictureLeft, s.PictureLeft)},
        {"PictureTop", Field(sl.PictureTop, s.PictureTop)},
        {"EffectNumber", Field(sl.EffectNumber, s.EffectNumber)},
        {"OverlayFlag", Field(sl.OverlayFlag, s.OverlayFlag)},
        {"TransparentFlag", Field(sl.TransparentFlag, s.TransparentFlag)},
        {"PictureData", ArrayJson(sl.PictureData, s.PictureData)},
        {"SoundData", ArrayJson(sl.SoundData, s.SoundData)},
    });
  }
  j["scenes"] = scenes;
  if (l.PackageLength && WasRead(r, l.PackageLength)) {
    fields["PackageLength"] = Field(l.PackageLength, p.PackageLength);
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
