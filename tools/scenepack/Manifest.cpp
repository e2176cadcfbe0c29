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
  explicit ManifestReader(const fs::path& manifest)
      : manifest_(manifest), folder_(manifest.parent_path()) {}

  std::vector<std::string> warnings;

  package::Package Read() {
    toml::table root;
    try {
      root = toml::parse_file(manifest_.string());
    } catch (const toml::parse_error& e) {
      std::ostringstream where;
      where << "line " << e.source().begin.line << ", column " << e.source().begin.column;
      Fail(where.str(), std::string(e.description()));
    }
    CheckKeys(
        root, "",
        {"size", "background", "has_settings", "music", "music_name", "scenes", "scene_count"});
    package::Package p;
    ReadSize(root, p);
    if (const toml::node* n = root.get("background")) p.BackgroundColor = Background(*n);
    if (const toml::node* n = root.get("has_settings")) p.HasSettings = Flag(*n, "has_settings");
    ReadMedia(root, "music", "music_name", p.MusicFileName, p.MusicData);
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
    if (p.Scenes.empty()) warnings.push_back(manifest_.string() + ": the show has no scenes");
    p.SceneCount = static_cast<std::int32_t>(p.Scenes.size());
    if (const toml::node* n = root.get("scene_count")) {
      p.SceneCount = static_cast<std::int32_t>(Integer(*n, "scene_count", 0, kInt32Max));
    }
    CheckDistinctNames(p);
    std::uint64_t length = 0;
    try {
      length = package::SerializedLength(p);  // refuses what the package cannot hold
    } catch (const std::invalid_argument& e) {
      Fail("package", e.what());
    }
    if (length > static_cast<std::uint64_t>(kInt32Max)) {
      Fail("package", "larger than 2^31 - 1 bytes (" + std::to_string(length) + ")");
    }
    p.PackageLength = static_cast<std::int32_t>(length);
    return p;
  }

 private:
  [[noreturn]] void Fail(const std::string& where, const std::string& what) const {
    throw ManifestError(manifest_.string() + ": " + where + ": " + what);
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
      unsigned w = 0, h = 0;
      char x = 0, extra = 0;
      std::istringstream in(*text);
      if (!(in >> w >> x >> h) || x != 'x' || (in >> extra)) {
        Fail("size", "'" + *text + "' is not of the form WIDTHxHEIGHT");
      }
      if (w < 1 || w > kMaxSize || h < 1 || h > kMaxSize) Fail("size", "out of range (1 to 32767)");
      p.PictureWidth = static_cast<std::int32_t>(w);
      p.PictureHeight = static_cast<std::int32_t>(h);
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

  package::AnsiString StoredName(const std::string& utf8, const std::string& where) const {
    const std::optional<package::AnsiString> name = package::Utf8ToAnsi(utf8);
    if (!name) Fail(where, "'" + utf8 + "' cannot be written in code page 932");
    if (name->size() > 65535) Fail(where, "longer than 65,535 bytes");
    if (name->find_first_of("/\\") != std::string::npos || *name == "." || *name == ".." ||
        name->find('\0') != std::string::npos) {
      Fail(where, "'" + utf8 + "' is not a plain file name");
    }
    return *name;
  }

  // A media file and its stored name: `path_key` names the file (relative to the manifest),
  // `name_key` overrides the stored name, which is the file's own name by default.
  void ReadMedia(const toml::table& table, const std::string& path_key, const std::string& name_key,
                 package::AnsiString& name, package::ByteArray& data,
                 const std::string& prefix = "") {
    const toml::node* path_node = table.get(path_key);
    const toml::node* name_node = table.get(name_key);
    std::string utf8_name;
    if (path_node) {
      const std::string relative = Text(*path_node, prefix + path_key);
      const fs::path path = folder_ / relative;
      std::string error;
      if (!ReadWholeFile(path, data.bytes, error)) Fail(prefix + path_key, error);
      data.present = true;
      utf8_name = fs::path(relative).filename().string();
    }
    if (name_node) utf8_name = Text(*name_node, prefix + name_key);
    if (utf8_name.empty()) {
      if (data.present) Fail(prefix + name_key, "a file needs a non-empty stored name");
      name.clear();
      return;
    }
    name = StoredName(utf8_name, prefix + (name_node ? name_key : path_key));
  }

  package::SceneRecord Scene(const toml::table& t, const std::string& where) {
    CheckKeys(t, where,
              {"picture", "picture_name", "sound", "sound_name", "display_ms", "left", "top",
               "effect", "overlay", "transparent"});
    package::SceneRecord s;
    const std::string prefix = where + ".";
    if (!t.get("picture") && !t.get("picture_name")) Fail(where, "needs a picture");
    ReadMedia(t, "picture", "picture_name", s.PictureFileName, s.PictureData, prefix);
    ReadMedia(t, "sound", "sound_name", s.SoundFileName, s.SoundData, prefix);
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
          Fail(prefix + "effect",
               "unknown effect name '" + *name + "' (known names: " + EffectNameList() + ")");
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
        warnings.push_back(manifest_.string() + ": " + prefix +
                           "transparent: has no effect without overlay");
      }
    }
    return s;
  }

  // The player extracts each file name once, so one name must always carry the same data.
  void CheckDistinctNames(const package::Package& p) const {
    std::map<package::AnsiString, std::pair<const package::ByteArray*, std::string>> seen;
    auto check = [&](const package::AnsiString& name, const package::ByteArray& data,
                     const std::string& where) {
      if (name.empty() || !data.present) return;
      const auto [it, inserted] = seen.try_emplace(name, &data, where);
      if (!inserted && it->second.first->bytes != data.bytes) {
        Fail(where, "stored name '" + package::AnsiToUtf8(name) + "' is also used by " +
                        it->second.second + " for a different file");
      }
    };
    check(p.MusicFileName, p.MusicData, "music");
    for (std::size_t i = 0; i < p.Scenes.size(); ++i) {
      const std::string where = "scenes[" + std::to_string(i) + "].";
      check(p.Scenes[i].PictureFileName, p.Scenes[i].PictureData, where + "picture");
      check(p.Scenes[i].SoundFileName, p.Scenes[i].SoundData, where + "sound");
    }
  }

  fs::path manifest_;
  fs::path folder_;
};

// A TOML basic string.
std::string Quoted(const std::string& text) {
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

std::string FlagText(std::int16_t flag) {
  if (flag == -1) return "true";
  if (flag == 0) return "false";
  return std::to_string(flag);
}

// Writes `path_key` (and `name_key` when the stored name differs from the file's own name).
void MediaText(std::ostringstream& out, const std::string& path_key, const std::string& name_key,
               const package::AnsiString& name, const std::string& path) {
  const std::string utf8_name = package::AnsiToUtf8(name);
  if (!path.empty()) out << path_key << " = " << Quoted(path) << "\n";
  if (path.empty() ? !name.empty() : std::filesystem::path(path).filename().string() != utf8_name) {
    out << name_key << " = " << Quoted(utf8_name) << "\n";
  }
}

}  // namespace

ManifestResult ReadManifest(const std::filesystem::path& manifest) {
  ManifestResult result;
  ManifestReader reader(manifest);
  try {
    result.package = reader.Read();
  } catch (const ManifestError& e) {
    result.error = e.what();
    result.package = {};
  }
  result.warnings = std::move(reader.warnings);
  return result;
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
