#include "tools/scenepack/Manifest.h"

#include <toml++/toml.h>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "package/PackageFormat.h"
#include "package/PackageText.h"
#include "tools/scenepack/EffectNames.h"
#include "tools/scenepack/MediaFiles.h"

namespace scenesaver::scenepack {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMaxSize = 32767;
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

struct ManifestError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class ManifestReader {
 public:
  ManifestReader(std::string label, fs::path folder)
      : label_(std::move(label)), folder_(std::move(folder)) {}

  std::vector<std::string> warnings;
  std::vector<ScenePlacement> placements;
  MediaNames names;
  std::vector<std::string> renamed;
  int jpeg_quality = 92;

  // `text` is the manifest, or nothing to read the file named by the label.
  package::Package Read(const std::optional<std::string>& text) {
    toml::table root;
    try {
      root = text ? toml::parse(*text, label_) : toml::parse_file(label_);
    } catch (const toml::parse_error& e) {
      std::ostringstream where;
      where << "line " << e.source().begin.line << ", column " << e.source().begin.column;
      Fail(where.str(), std::string(e.description()));
    }
    CheckKeys(root, "",
              {"size", "background", "has_settings", "music", "music_name", "scenes", "scene_count",
               "fit", "jpeg_quality"});
    package::Package p;
    ReadSize(root, p);
    if (const toml::node* n = root.get("background")) p.BackgroundColor = Background(*n);
    if (const toml::node* n = root.get("has_settings")) p.HasSettings = Flag(*n, "has_settings");
    if (const toml::node* n = root.get("fit")) default_fit_ = FitOf(*n, "fit");
    if (const toml::node* n = root.get("jpeg_quality")) {
      jpeg_quality = static_cast<int>(Integer(*n, "jpeg_quality", 1, 100));
    }
    names.music = ReadMedia(root, "music", "music_name", p.MusicData);
    if (const toml::node* n = root.get("scenes")) {
      const toml::array* scenes = n->as_array();
      if (!scenes) Fail("scenes", "must be a list of [[scenes]] tables");
      for (std::size_t i = 0; i < scenes->size(); ++i) {
        const toml::table* scene = (*scenes)[i].as_table();
        const std::string where = "scenes[" + std::to_string(i) + "]";
        if (!scene) Fail(where, "must be a table");
        p.Scenes.push_back(Scene(*scene, where));
      }
    }
    p.ScenesPresent = !p.Scenes.empty();
    if (p.Scenes.empty()) Fail("scenes", "the show has no scenes (add a [[scenes]] table)");
    p.SceneCount = static_cast<std::int32_t>(p.Scenes.size());
    if (const toml::node* n = root.get("scene_count")) {
      p.SceneCount = static_cast<std::int32_t>(Integer(*n, "scene_count", 0, kInt32Max));
    }
    StoredNames stored = NameStoredMedia(p, names);
    if (!stored.error.empty()) throw ManifestError(label_ + ": " + stored.error);
    renamed = std::move(stored.renamed);
    if (const std::string problem = SetPackageLength(p); !problem.empty()) Fail("package", problem);
    return p;
  }

 private:
  [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
    throw ManifestError(label_ + ": " + where + ": " + what);
  }

  Fit FitOf(const toml::node& node, const std::string& where) const {
    const std::string name = Text(node, where);
    const std::optional<Fit> fit = FitFromName(name);
    if (!fit) Fail(where, "'" + name + "' is not one of none, contain, cover, shrink");
    return *fit;
  }

  void CheckKeys(const toml::table& table, const std::string& where,
                 std::initializer_list<std::string_view> known) const {
    for (auto&& [key, value] : table) {
      (void)value;
      bool ok = false;
      for (std::string_view k : known) ok = ok || key.str() == k;
      if (!ok)
        Fail(where.empty() ? std::string(key.str()) : where + "." + std::string(key.str()),
             "unknown key");
    }
  }

  std::int64_t Integer(const toml::node& node, const std::string& where, std::int64_t min,
                       std::int64_t max) const {
    const std::optional<std::int64_t> v = node.value_exact<std::int64_t>();
    if (!v) Fail(where, "must be a whole number");
    if (*v < min || *v > max) {
      Fail(where, std::to_string(*v) + " is out of range (" + std::to_string(min) + " to " +
                      std::to_string(max) + ")");
    }
    return *v;
  }

  // true is -1, false is 0; a number is stored as it is.
  std::int16_t Flag(const toml::node& node, const std::string& where) const {
    if (const auto b = node.value_exact<bool>()) return *b ? -1 : 0;
    return static_cast<std::int16_t>(Integer(node, where, -32768, 32767));
  }

  std::int32_t Background(const toml::node& node) const {
    if (const auto text = node.value_exact<std::string>()) {
      const std::string& s = *text;
      const bool ok = s.size() == 7 && s[0] == '#' &&
                      s.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
      if (!ok) Fail("background", "'" + s + "' is not a colour of the form #RRGGBB");
      const unsigned long rgb = std::stoul(s.substr(1), nullptr, 16);
      const unsigned long r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
      return static_cast<std::int32_t>(r | g << 8 | b << 16);
    }
    return static_cast<std::int32_t>(Integer(node, "background", 0, 0xFFFFFF));
  }

  void ReadSize(const toml::table& root, package::Package& p) const {
    const toml::node* n = root.get("size");
    if (!n) Fail("size", "missing (for example size = [800, 600])");
    if (const auto text = n->value_exact<std::string>()) {
      const std::optional<PixelSize> size = ParseSizeText(*text);
      if (!size) Fail("size", "'" + *text + "' is not of the form WIDTHxHEIGHT");
      if (size->width < 1 || size->width > kMaxSize || size->height < 1 ||
          size->height > kMaxSize) {
        Fail("size", "out of range (1 to 32767)");
      }
      p.PictureWidth = size->width;
      p.PictureHeight = size->height;
      return;
    }
    const toml::array* a = n->as_array();
    if (!a || a->size() != 2) Fail("size", "must be [WIDTH, HEIGHT]");
    p.PictureWidth = static_cast<std::int32_t>(Integer((*a)[0], "size[0]", 1, kMaxSize));
    p.PictureHeight = static_cast<std::int32_t>(Integer((*a)[1], "size[1]", 1, kMaxSize));
  }

  std::string Text(const toml::node& node, const std::string& where) const {
    const auto v = node.value_exact<std::string>();
    if (!v) Fail(where, "must be a string");
    return *v;
  }

  // A media file and the name it asks for: `path_key` names the file (relative to the
  // manifest), `name_key` chooses the stored name, which is the file's own name by default.
  MediaName ReadMedia(const toml::table& table, const std::string& path_key,
                      const std::string& name_key, package::ByteArray& data,
                      const std::string& prefix = "", std::string* source = nullptr) {
    const toml::node* path_node = table.get(path_key);
    const toml::node* name_node = table.get(name_key);
    MediaName name;
    if (path_node) {
      const std::string relative = Text(*path_node, prefix + path_key);
      const fs::path path = folder_ / relative;
      std::string error;
      if (!ReadWholeFile(path, data.bytes, error)) Fail(prefix + path_key, error);
      data.present = true;
      name.wanted = fs::path(relative).filename().string();
      if (source) *source = relative;
    }
    if (name_node) {
      name.wanted = Text(*name_node, prefix + name_key);
      name.chosen = true;
    }
    return name;
  }

  package::SceneRecord Scene(const toml::table& t, const std::string& where) {
    CheckKeys(t, where,
              {"picture", "picture_name", "sound", "sound_name", "display_ms", "left", "top",
               "effect", "overlay", "transparent", "fit", "position"});
    package::SceneRecord s;
    const std::string prefix = where + ".";
    if (!t.get("picture") && !t.get("picture_name")) Fail(where, "needs a picture");
    ScenePlacement placement;
    names.pictures.push_back(
        ReadMedia(t, "picture", "picture_name", s.PictureData, prefix, &placement.source));
    names.sounds.push_back(ReadMedia(t, "sound", "sound_name", s.SoundData, prefix));
    placement.fit = default_fit_;
    if (const toml::node* n = t.get("fit")) placement.fit = FitOf(*n, prefix + "fit");
    const bool placed = t.get("left") != nullptr || t.get("top") != nullptr;
    if (const toml::node* n = t.get("position")) {
      const std::string position = Text(*n, prefix + "position");
      if (position != "centre" && position != "center") {
        Fail(prefix + "position", "'" + position + "' is not \"centre\" (or give left and top)");
      }
      if (placed) Fail(prefix + "position", "give either position or left and top, not both");
      placement.centred = true;
    } else {
      placement.centred = placement.fit != Fit::kNone && !placed;
    }
    placements.push_back(placement);
    if (const toml::node* n = t.get("display_ms")) {
      s.DisplayTime = static_cast<std::int32_t>(Integer(*n, prefix + "display_ms", 0, kInt32Max));
    } else {
      s.DisplayTime = 5000;
    }
    if (const toml::node* n = t.get("left")) {
      s.PictureLeft = static_cast<std::int32_t>(Integer(*n, prefix + "left", kInt32Min, kInt32Max));
    }
    if (const toml::node* n = t.get("top")) {
      s.PictureTop = static_cast<std::int32_t>(Integer(*n, prefix + "top", kInt32Min, kInt32Max));
    }
    if (const toml::node* n = t.get("effect")) {
      if (const auto name = n->value_exact<std::string>()) {
        const std::optional<int> number = EffectNumber(*name);
        if (!number) {
          const std::string_view guess = ClosestEffectName(*name);
          Fail(prefix + "effect",
               "unknown effect name '" + *name + "'" +
                   (guess.empty() ? " (known names: " + EffectNameList() + ")"
                                  : "; did you mean " + std::string(guess) + "?"));
        }
        s.EffectNumber = *number;
      } else {
        s.EffectNumber = static_cast<std::int32_t>(Integer(*n, prefix + "effect", 0, 29));
      }
    }
    if (const toml::node* n = t.get("overlay")) s.OverlayFlag = Flag(*n, prefix + "overlay");
    if (const toml::node* n = t.get("transparent")) {
      s.TransparentFlag = Flag(*n, prefix + "transparent");
      if (s.TransparentFlag != 0 && s.OverlayFlag == 0) {
        warnings.push_back(label_ + ": " + prefix + "transparent: has no effect without overlay");
      }
    }
    return s;
  }

  std::string label_;
  fs::path folder_;
  Fit default_fit_ = Fit::kNone;
};

ManifestResult ReadWith(ManifestReader& reader, const std::optional<std::string>& text) {
  ManifestResult result;
  try {
    result.package = reader.Read(text);
    result.placements = std::move(reader.placements);
    result.names = std::move(reader.names);
    result.renamed = std::move(reader.renamed);
    result.jpeg_quality = reader.jpeg_quality;
  } catch (const ManifestError& e) {
    result.error = e.what();
    result.package = {};
  }
  result.warnings = std::move(reader.warnings);
  return result;
}

}  // namespace

std::string TomlQuoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

namespace {

std::string FlagText(std::int16_t flag) {
  if (flag == -1) return "true";
  if (flag == 0) return "false";
  return std::to_string(flag);
}

// Writes `path_key` (and `name_key` when the stored name differs from the file's own name).
void MediaText(std::ostringstream& out, const std::string& path_key, const std::string& name_key,
               const package::AnsiString& name, const std::string& path) {
  const std::string utf8_name = package::AnsiToUtf8(name);
  if (!path.empty()) out << path_key << " = " << TomlQuoted(path) << "\n";
  if (path.empty() ? !name.empty() : std::filesystem::path(path).filename().string() != utf8_name) {
    out << name_key << " = " << TomlQuoted(utf8_name) << "\n";
  }
}

}  // namespace

ManifestResult ReadManifest(const std::filesystem::path& manifest) {
  ManifestReader reader(manifest.string(), manifest.parent_path());
  return ReadWith(reader, std::nullopt);
}

ManifestResult ReadManifestText(const std::string& text, const std::string& label,
                                const std::filesystem::path& folder) {
  ManifestReader reader(label, folder);
  return ReadWith(reader, text);
}

StoredNames NameStoredMedia(package::Package& p, const MediaNames& names) {
  // The player extracts each file name once, so one name must always carry the same data.
  std::vector<StoredNameRequest> requests;
  requests.push_back(
      {names.music.wanted, names.music.chosen, "music", "music", "music_name", &p.MusicData});
  char stem[32];
  for (std::size_t i = 0; i < p.Scenes.size(); ++i) {
    const std::string where = "scenes[" + std::to_string(i) + "].";
    const MediaName picture = i < names.pictures.size() ? names.pictures[i] : MediaName{};
    const MediaName sound = i < names.sounds.size() ? names.sounds[i] : MediaName{};
    std::snprintf(stem, sizeof stem, "photo-%04zu", i + 1);
    requests.push_back({picture.wanted, picture.chosen, stem, where + "picture",
                        where + "picture_name", &p.Scenes[i].PictureData});
    std::snprintf(stem, sizeof stem, "sound-%04zu", i + 1);
    requests.push_back({sound.wanted, sound.chosen, stem, where + "sound", where + "sound_name",
                        &p.Scenes[i].SoundData});
  }
  StoredNames stored = AssignStoredNames(requests);
  if (!stored.error.empty()) return stored;
  p.MusicFileName = stored.names[0];
  for (std::size_t i = 0; i < p.Scenes.size(); ++i) {
    p.Scenes[i].PictureFileName = stored.names[1 + 2 * i];
    p.Scenes[i].SoundFileName = stored.names[2 + 2 * i];
  }
  return stored;
}

std::string SetPackageLength(package::Package& p) {
  std::uint64_t length = 0;
  try {
    length = package::SerializedLength(p);  // refuses what the package cannot hold
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  if (length > static_cast<std::uint64_t>(kInt32Max)) {
    return "larger than 2^31 - 1 bytes (" + std::to_string(length) + ")";
  }
  p.PackageLength = static_cast<std::int32_t>(length);
  return {};
}

std::string ManifestText(const package::Package& p, const MediaPaths& paths,
                         const std::string& source_name) {
  std::ostringstream out;
  out << "# The show of " << source_name << "; `scenepack build` makes the same saver from it.\n";
  out << "size = [" << p.PictureWidth << ", " << p.PictureHeight << "]\n";
  const auto colour = static_cast<std::uint32_t>(p.BackgroundColor);
  if (colour <= 0xFFFFFF) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", colour & 0xFF, colour >> 8 & 0xFF,
                  colour >> 16 & 0xFF);
    out << "background = \"" << buf << "\"\n";
  } else {
    out << "background = " << p.BackgroundColor << "\n";
  }
  out << "has_settings = " << FlagText(p.HasSettings) << "\n";
  MediaText(out, "music", "music_name", p.MusicFileName, paths.music);
  if (static_cast<std::size_t>(p.SceneCount) != p.Scenes.size() || p.SceneCount < 0) {
    out << "scene_count = " << p.SceneCount << "\n";
  }
  for (std::size_t i = 0; i < p.Scenes.size(); ++i) {
    const package::SceneRecord& s = p.Scenes[i];
    out << "\n[[scenes]]\n";
    MediaText(out, "picture", "picture_name", s.PictureFileName,
              i < paths.pictures.size() ? paths.pictures[i] : "");
    MediaText(out, "sound", "sound_name", s.SoundFileName,
              i < paths.sounds.size() ? paths.sounds[i] : "");
    out << "display_ms = " << s.DisplayTime << "\n";
    out << "left = " << s.PictureLeft << "\n";
    out << "top = " << s.PictureTop << "\n";
    const std::string_view effect = EffectName(s.EffectNumber);
    if (effect.empty()) {
      out << "effect = " << s.EffectNumber << "\n";
    } else {
      out << "effect = \"" << effect << "\"\n";
    }
    out << "overlay = " << FlagText(s.OverlayFlag) << "\n";
    out << "transparent = " << FlagText(s.TransparentFlag) << "\n";
  }
  return out.str();
}

}  // namespace scenesaver::scenepack
