#include "tools/scenepack/PhotoOptions.h"

#include <CLI/CLI.hpp>

namespace scenesaver::scenepack {

void AddPhotoShowOptions(CLI::App& app, PhotoShowOptions& options, CLI::Option* needs) {
  std::vector<CLI::Option*> added;
  added.push_back(app.add_option_function<std::string>(
      "--size",
      [&options](const std::string& text) {
        const std::optional<PixelSize> size = ParseSizeText(text);
        if (!size || size->width < 1 || size->height < 1 || size->width > 32767 ||
            size->height > 32767) {
          throw CLI::ValidationError("--size", "'" + text + "' is not WIDTHxHEIGHT (1 to 32767)");
        }
        options.size = *size;
      },
      "presentation size WIDTHxHEIGHT (default 1920x1080; never the screen's)"));
  added.push_back(app.add_option("--music", options.music, "music file played through the show")
                      ->check(CLI::ExistingFile));
  added.push_back(app.add_option("--seconds", options.seconds, "each picture's time (default 5)")
                      ->check(CLI::Range(1, 2147483)));
  added.push_back(app.add_option("--effects", options.effects,
                                 "transitions: all (each in turn, the default), random, or a "
                                 "comma-separated list of names or numbers"));
  added.push_back(app.add_flag("--shuffle", options.shuffle,
                               "shuffle the pictures (otherwise sorted by name); the seed is "
                               "printed"));
  added.push_back(app.add_option("--seed", options.seed,
                                 "seed for --shuffle and --effects random, to repeat a show"));
  added.push_back(app.add_option("--quality", options.jpeg_quality,
                                 "JPEG quality of converted pictures (default 92)")
                      ->check(CLI::Range(1, 100)));
  if (needs != nullptr) {
    for (CLI::Option* option : added) option->needs(needs);
  }
}

}  // namespace scenesaver::scenepack
