#include "tools/scenepack/ShowPictures.h"

#include <sstream>

#include "tools/scenepack/PhotoImport.h"

namespace scenesaver::scenepack {

PreparedPictures PrepareShowPictures(ManifestResult& manifest, const std::string& label,
                                     const PictureProgress& progress) {
  PreparedPictures out;
  package::Package& p = manifest.package;
  const PixelSize area{p.PictureWidth, p.PictureHeight};
  const std::size_t total = p.Scenes.size();
  for (std::size_t i = 0; i < total; ++i) {
    package::SceneRecord& scene = p.Scenes[i];
    const ScenePlacement placement =
        i < manifest.placements.size() ? manifest.placements[i] : ScenePlacement{};
    const std::string where = "scenes[" + std::to_string(i) + "]";
    if (!scene.PictureData.present) {
      if (progress) progress(i + 1, total);
      continue;
    }
    ImportSettings settings;
    settings.area = area;
    settings.fit = placement.fit;
    settings.background = static_cast<std::uint32_t>(p.BackgroundColor) & 0xFFFFFF;
    settings.key_colour_sprite = scene.OverlayFlag != 0 && scene.TransparentFlag != 0;
    settings.jpeg_quality = manifest.jpeg_quality;
    ImportedPicture picture = ImportPicture(scene.PictureData.bytes, settings);
    if (!picture.error.empty()) {
      out.error = label;
      out.error += ": " + where + ".picture: '" + placement.source + "': " + picture.error;
      return out;
    }
    if (picture.converted) {
      scene.PictureData.bytes = std::move(picture.bytes);
      MediaName& name = manifest.names.pictures.at(i);
      if (!name.chosen) name.wanted = WithExtension(name.wanted, picture.extension);
      out.notes.push_back(where + ".picture: '" + placement.source + "' stored as " +
                          (picture.extension == ".png" ? "PNG" : "JPEG") + ", " +
                          std::to_string(picture.size.width) + "x" +
                          std::to_string(picture.size.height) + " (" + picture.changes + ")");
    }
    if (placement.centred) {
      const Offset at = Centred(picture.size, area);
      scene.PictureLeft = at.left;
      scene.PictureTop = at.top;
    }
    if (WhollyOutside(picture.size, {scene.PictureLeft, scene.PictureTop}, area)) {
      std::ostringstream warning;
      warning << label << ": " << where << ": the picture (" << picture.size.width << "x"
              << picture.size.height << " at left " << scene.PictureLeft << ", top "
              << scene.PictureTop << ") lies wholly outside the " << area.width << "x"
              << area.height << " presentation area";
      manifest.warnings.push_back(warning.str());
    }
    if (progress) progress(i + 1, total);
  }
  StoredNames stored = NameStoredMedia(p, manifest.names);
  if (!stored.error.empty()) {
    out.error = label + ": " + stored.error;
    return out;
  }
  manifest.renamed = std::move(stored.renamed);
  if (const std::string problem = SetPackageLength(p); !problem.empty()) {
    out.error = label + ": package: " + problem;
  }
  return out;
}

}  // namespace scenesaver::scenepack
