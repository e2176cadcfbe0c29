// Writes the demo show's pictures, tune and sounds into a folder: make_demo_media OUTDIR
#include <filesystem>
#include <fstream>
#include <iostream>

#include "demo/DemoMedia.h"

namespace {

bool Save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "make_demo_media: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_demo_media OUTDIR\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  constexpr int kW = 800, kH = 600, kQuality = 88;
  using demo::Mood;
  struct Shot {
    const char* name;
    Mood mood;
    std::uint32_t seed;
  };
  const Shot shots[] = {{"01-dawn.jpg", Mood::Dawn, 1},     {"02-noon.jpg", Mood::Noon, 2},
                        {"03-sunset.jpg", Mood::Sunset, 3}, {"05-night.jpg", Mood::Night, 5},
                        {"07-fog.jpg", Mood::Fog, 7},       {"08-autumn.jpg", Mood::Autumn, 8},
                        {"09-snow.jpg", Mood::Snow, 9},     {"11-desert.jpg", Mood::Desert, 11}};
  bool ok = true;
  for (const Shot& shot : shots) {
    ok = Save(dir / shot.name,
              demo::EncodeJpeg(demo::Landscape(kW, kH, shot.mood, shot.seed), kQuality)) &&
         ok;
  }
  ok = Save(dir / "04-postcard.jpg", demo::EncodeJpeg(demo::Postcard(480, 340), kQuality)) && ok;
  ok = Save(dir / "06-balloon.bmp", demo::EncodeBmp(demo::BalloonSprite(180, 240))) && ok;
  ok = Save(dir / "10-still-life.jpg", demo::EncodeJpeg(demo::StillLife(kW, kH), kQuality)) && ok;
  ok = Save(dir / "tune.mid", demo::Tune()) && ok;
  ok = Save(dir / "chime.wav", demo::ChimeWav()) && ok;
  ok = Save(dir / "whoosh.wav", demo::WhooshWav()) && ok;
  ok = Save(dir / "harp.wav", demo::HarpWav()) && ok;
  return ok ? 0 : 1;
}
