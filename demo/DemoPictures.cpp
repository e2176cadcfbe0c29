// Procedural pictures: skies, mountains, water, light and grain.
#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

#include "demo/DemoMedia.h"

namespace demo {
namespace {

constexpr double kPi = 3.14159265358979323846;

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb Mix(Rgb a, Rgb b, double t) { return a * (1 - t) + b * t; }
Rgb Hex(std::uint32_t v) {
  return {(v >> 16 & 0xFF) / 255.0, (v >> 8 & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}
double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Smooth(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

std::uint32_t Hash(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  return h ^ h >> 15;
}
double Random01(std::int32_t x, std::int32_t y, std::uint32_t seed) {
  return (Hash(x, y, seed) & 0xFFFFFF) / double(0x1000000);
}

double ValueNoise(double x, double y, std::uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto ix = static_cast<std::int32_t>(fx), iy = static_cast<std::int32_t>(fy);
  const double tx = x - fx, ty = y - fy;
  const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
  const double a = Random01(ix, iy, seed), b = Random01(ix + 1, iy, seed);
  const double c = Random01(ix, iy + 1, seed), d = Random01(ix + 1, iy + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

double Fbm(double x, double y, std::uint32_t seed, int octaves = 5) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101);
    norm += amp;
    x *= 2.03;
    y *= 2.03;
    amp *= 0.5;
  }
  return sum / norm;
}

struct Palette {
  Rgb zenith, horizon, sun, cloud, haze, water;
  std::array<Rgb, 3> ridges;
  double sun_x, sun_y, sun_size, cloudiness, haze_strength;
  bool water_below, stars, snow;
  Rgb ground;
};

Palette PaletteOf(Mood mood) {
  switch (mood) {
    case Mood::Dawn:
      return {Hex(0x2B3F7A),
              Hex(0xF2B38A),
              Hex(0xFFE2B0),
              Hex(0xF5C6B8),
              Hex(0xD9A7A0),
              Hex(0x34476E),
              {Hex(0x6D5E7A), Hex(0x4A4260), Hex(0x2C2A40)},
              0.30,
              0.46,
              0.030,
              0.45,
              0.55,
              true,
              false,
              false,
              Hex(0x2C2A40)};
    case Mood::Noon:
      return {Hex(0x2E6FD0),
              Hex(0xA9D4F5),
              Hex(0xFFFFF0),
              Hex(0xFFFFFF),
              Hex(0xB7D3EA),
              Hex(0x2C6A9A),
              {Hex(0x6F8FA8), Hex(0x4D7A55), Hex(0x2F5A30)},
              0.75,
              0.12,
              0.020,
              0.55,
              0.35,
              true,
              false,
              false,
              Hex(0x3C6B2E)};
    case Mood::Sunset:
      return {Hex(0x3A1F5C),
              Hex(0xFF8A3D),
              Hex(0xFFD27A),
              Hex(0xE87A6A),
              Hex(0xE59A70),
              Hex(0x40204A),
              {Hex(0x7A3B55), Hex(0x4E2445), Hex(0x24142C)},
              0.55,
              0.50,
              0.045,
              0.35,
              0.50,
              true,
              false,
              false,
              Hex(0x24142C)};
    case Mood::Night:
      return {Hex(0x040814),
              Hex(0x1B2B52),
              Hex(0xF4F1DC),
              Hex(0x27324F),
              Hex(0x1E2A48),
              Hex(0x0A1226),
              {Hex(0x1A2440), Hex(0x121A30), Hex(0x0A0F1E)},
              0.78,
              0.20,
              0.035,
              0.25,
              0.30,
              true,
              true,
              false,
              Hex(0x0A0F1E)};
    case Mood::Fog:
      return {Hex(0x9AA7B0),
              Hex(0xD8DDDC),
              Hex(0xFFFFFF),
              Hex(0xE5E8E8),
              Hex(0xDCE0E0),
              Hex(0x8E9BA3),
              {Hex(0x9EA9AE), Hex(0x7A878C), Hex(0x4D5A5E)},
              0.40,
              0.30,
              0.060,
              0.15,
              0.85,
              true,
              false,
              false,
              Hex(0x4D5A5E)};
    case Mood::Autumn:
      return {Hex(0x4F86C6),
              Hex(0xE8D8B0),
              Hex(0xFFF4D0),
              Hex(0xFFFFFF),
              Hex(0xD8C8A0),
              Hex(0x5A6A50),
              {Hex(0x8C7A70), Hex(0xB0582A), Hex(0x7A3214)},
              0.20,
              0.18,
              0.025,
              0.40,
              0.35,
              false,
              false,
              false,
              Hex(0x8A4A1A)};
    case Mood::Snow:
      return {Hex(0x5F8FC8),
              Hex(0xDCE8F2),
              Hex(0xFFFFFF),
              Hex(0xFFFFFF),
              Hex(0xD0DCE8),
              Hex(0x6E8CA8),
              {Hex(0xB8C8DA), Hex(0x8FA5BE), Hex(0x5E7590)},
              0.65,
              0.16,
              0.022,
              0.30,
              0.45,
              false,
              false,
              true,
              Hex(0xF0F4F8)};
    case Mood::Desert:
      return {Hex(0x3D7CC0),
              Hex(0xF0D9A8),
              Hex(0xFFF8E0),
              Hex(0xFFFFFF),
              Hex(0xEBCB98),
              Hex(0xC08040),
              {Hex(0xC9925A), Hex(0xD89A52), Hex(0xB86E32)},
              0.82,
              0.22,
              0.020,
              0.10,
              0.40,
              false,
              false,
              false,
              Hex(0xE0A860)};
  }
  return PaletteOf(Mood::Noon);
}

// Height (0 top, 1 bottom) of ridge `k` at horizontal position u.
double Ridge(int k, double u, std::uint32_t seed, Mood mood) {
  const double base[3] = {0.38, 0.48, 0.58};
  const double amp[3] = {0.22, 0.16, 0.12};
  const double freq[3] = {2.2, 3.5, 5.0};
  if (mood == Mood::Desert) {
    return base[k] + 0.08 + 0.06 * std::sin(u * (4 + 2 * k) + k) +
           0.05 * Fbm(u * freq[k], k * 7.0, seed, 3);
  }
  return base[k] + amp[k] * (0.5 - Fbm(u * freq[k], k * 13.0, seed + 7, 6));
}

// The scene above the water line at normalized position (u, v).
Rgb Above(double u, double v, double aspect, const Palette& p, Mood mood, std::uint32_t seed) {
  // Sky.
  Rgb c = Mix(p.zenith, p.horizon, Smooth(0.0, 0.6, v));
  const double dx = (u - p.sun_x) * aspect, dy = v - p.sun_y;
  const double d = std::sqrt(dx * dx + dy * dy);
  c = c + p.sun * (0.55 * std::exp(-d / 0.12) + 0.25 * std::exp(-d / 0.35));
  if (d < p.sun_size) c = Mix(c, p.sun * 1.1, Smooth(p.sun_size, p.sun_size * 0.85, d));
  if (p.stars) {
    const auto sx = static_cast<std::int32_t>(u * 900), sy = static_cast<std::int32_t>(v * 700);
    const double r = Random01(sx, sy, seed + 99);
    if (r > 0.9975) c = c + Rgb{1, 1, 0.95} * ((r - 0.9975) * 400 * (1 - v));
  }
  const double clouds = Fbm(u * 3.0 * aspect, v * 9.0, seed + 31);
  const double cover =
      Smooth(1.0 - p.cloudiness, 1.0 - p.cloudiness + 0.25, clouds) * Smooth(0.65, 0.1, v);
  const Rgb lit = Mix(p.cloud, p.sun, 0.3 * std::exp(-d / 0.3));
  c = Mix(c, lit * (0.8 + 0.3 * Fbm(u * 12, v * 30, seed + 5, 3)), cover * 0.85);

  // Ridges, far to near, with aerial perspective and light from the sun's side.
  for (int k = 0; k < 3; ++k) {
    const double h = Ridge(k, u, seed + static_cast<std::uint32_t>(k), mood);
    if (v < h) continue;
    const std::uint32_t ks = seed + static_cast<std::uint32_t>(k);
    const double slope = (Ridge(k, u + 0.04, ks, mood) - Ridge(k, u - 0.04, ks, mood)) / 0.08;
    const double light = 0.75 + 0.25 * std::tanh(-slope * (u < p.sun_x ? -1 : 1) * 0.8);
    const double depth = v - h;
    Rgb rock = p.ridges[static_cast<std::size_t>(k)] *
               (light * (0.85 + 0.3 * Fbm(u * 40, v * 60, seed + 11 * k, 4)));
    if (p.snow && depth < 0.05 + 0.08 * Fbm(u * 20, k, seed, 3)) rock = Mix(rock, {1, 1, 1}, 0.8);
    if (mood == Mood::Autumn && k > 0) {
      const double canopy = Fbm(u * 60, v * 50, seed + 17 * k, 4);
      rock = Mix(rock, Mix(Hex(0xD88A2A), Hex(0x9A2A18), canopy), 0.6) * (0.7 + 0.5 * canopy);
    }
    const double haze = p.haze_strength * (1.0 - k / 3.0) * Smooth(0.15, 0.0, depth * (k + 1));
    c = Mix(rock, p.haze, std::min(0.85, haze + p.haze_strength * (0.45 - 0.15 * k)));
  }
  return c;
}

Rgb Pixel(int x, int y, int w, int h, const Palette& p, Mood mood, std::uint32_t seed) {
  const double u = (x + 0.5) / w, v = (y + 0.5) / h, aspect = double(w) / h;
  const double water_line = 0.66;
  Rgb c;
  if (p.water_below && v > water_line) {
    const double depth = v - water_line;
    const double ripple = 0.004 * std::sin(v * 260 + Fbm(u * 8, v * 40, seed, 3) * 6) +
                          0.006 * (Fbm(u * 6, v * 80, seed + 3, 3) - 0.5);
    const double mirrored = water_line - depth * 0.9;
    c = Mix(Above(u + ripple, mirrored, aspect, p, mood, seed), p.water, 0.25 + depth * 0.9);
    const double streak = std::exp(-std::abs(u - p.sun_x - ripple * 4) * aspect / 0.03) *
                          Smooth(0.3, 0.7, Fbm(u * 30, v * 120, seed + 8, 3));
    c = c + p.sun * (0.45 * streak);
  } else if (!p.water_below && v > 0.78) {
    const double t = (v - 0.78) / 0.22;
    c = p.ground * (0.65 + 0.45 * Fbm(u * 50 / (1 + t), v * 40, seed + 21, 5)) * (1 - 0.35 * t);
    if (mood == Mood::Desert) {
      c = c * (0.85 + 0.25 * std::sin(u * 80 + v * 300 + 4 * Fbm(u * 5, v * 5, seed, 3)));
    }
  } else {
    c = Above(u, v, aspect, p, mood, seed);
  }
  const double cx = u - 0.5, cy = v - 0.5;
  c = c * (1.0 - 0.55 * (cx * cx + cy * cy));  // vignette
  const double grain = (Random01(x, y, seed + 1234) - 0.5) * 0.035;
  return c + Rgb{grain, grain, grain};
}

}  // namespace

void Image::Set(int x, int y, Rgb c) {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
  // A little gamma lift keeps the shadows open, as a camera's tone curve would.
  auto to8 = [](double v) {
    return static_cast<std::uint8_t>(std::lround(255 * std::pow(Clamp01(v), 1 / 1.1)));
  };
  rgb[i] = to8(c.r);
  rgb[i + 1] = to8(c.g);
  rgb[i + 2] = to8(c.b);
}

Image Landscape(int width, int height, Mood mood, std::uint32_t seed) {
  Image img(width, height);
  const Palette p = PaletteOf(mood);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) img.Set(x, y, Pixel(x, y, width, height, p, mood, seed));
  }
  return img;
}

Image StillLife(int width, int height) {
  Image img(width, height);
  struct Ball {
    double x, y, z, r;
    Rgb colour;
  };
  const Ball balls[] = {{-1.1, 0.7, 5.2, 0.7, Hex(0xC0392B)},
                        {0.55, 0.5, 4.4, 0.5, Hex(0x2E86C1)},
                        {1.5, 0.9, 6.4, 0.9, Hex(0xD4AC0D)}};
  const double lx = -0.5, ly = 0.8, lz = -0.4;  // towards the light
  const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
  const double floor_y = 0.0;
  for (int py = 0; py < height; ++py) {
    for (int px = 0; px < width; ++px) {
      const double dx = (px - width / 2.0) / height * 1.2, dy = (height / 2.0 - py) / height * 1.2;
      double ox = 0, oy = 1.6, oz = 0;
      double dz = 1.0;
      const double n = std::sqrt(dx * dx + (dy - 0.25) * (dy - 0.25) + dz * dz);
      const double rx = dx / n, ry = (dy - 0.25) / n, rz = dz / n;
      // Nearest ball hit.
      double best = 1e9;
      int hit = -1;
      for (int i = 0; i < 3; ++i) {
        const Ball& b = balls[i];
        const double cx = ox - b.x, cy = oy - b.y, cz = oz - b.z;
        const double bq = cx * rx + cy * ry + cz * rz;
        const double cq = cx * cx + cy * cy + cz * cz - b.r * b.r;
        const double disc = bq * bq - cq;
        if (disc > 0) {
          const double t = -bq - std::sqrt(disc);
          if (t > 0 && t < best) best = t, hit = i;
        }
      }
      const double t_floor = ry < 0 ? (floor_y - oy) / ry : 1e9;
      Rgb c;
      auto shadow = [&](double x, double y, double z) {
        double s = 1.0;
        for (const Ball& b : balls) {
          const double cx = x - b.x, cy = y - b.y, cz = z - b.z;
          const double bq = (cx * lx + cy * ly + cz * lz) / ln;
          const double cq = cx * cx + cy * cy + cz * cz - b.r * b.r;
          if (bq < 0 && bq * bq - cq > 0)
            s = std::min(s, 0.35);
          else if (bq < 0)
            s = std::min(
                s, 0.35 + 0.65 * Smooth(0.0, 0.25, std::sqrt(cq - bq * bq + b.r * b.r) - b.r));
        }
        return s;
      };
      if (hit >= 0 && best < t_floor) {
        const Ball& b = balls[hit];
        const double x = ox + rx * best, y = oy + ry * best, z = oz + rz * best;
        const double nx = (x - b.x) / b.r, ny = (y - b.y) / b.r, nz = (z - b.z) / b.r;
        const double diffuse = std::max(0.0, (nx * lx + ny * ly + nz * lz) / ln);
        const double hx = lx / ln - rx, hy = ly / ln - ry, hz = lz / ln - rz;
        const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
        const double specular = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hn), 60);
        c = b.colour * (0.18 + 0.85 * diffuse) + Rgb{1, 1, 1} * (0.7 * specular);
        c = c + Hex(0x6B4F3A) * (0.12 * std::max(0.0, -ny));  // bounce light from the table
      } else if (t_floor < 1e8) {
        const double x = ox + rx * t_floor, z = oz + rz * t_floor;
        const double grain = Fbm(x * 2, z * 30, 77, 4);
        Rgb wood =
            Mix(Hex(0x5A3A22), Hex(0x9A6A42), grain) * (0.8 + 0.2 * std::sin(z * 40 + grain * 8));
        c = wood * (0.35 + 0.75 * shadow(x, floor_y, z)) * (1.0 / (1.0 + 0.04 * t_floor));
      } else {
        c = Mix(Hex(0x3A4A5A), Hex(0x1A222A), Clamp01(dy + 0.3)) *
            (0.9 + 0.2 * Fbm(dx * 8, dy * 8, 5, 3));
      }
      const double vx = (px - width / 2.0) / width, vy = (py - height / 2.0) / height;
      c = c * (1.0 - 0.6 * (vx * vx + vy * vy));
      const double grain = (Random01(px, py, 4242) - 0.5) * 0.03;
      img.Set(px, py, c + Rgb{grain, grain, grain});
    }
  }
  return img;
}

Image Postcard(int width, int height) {
  const int border = 14;
  Image inner = Landscape(width - 2 * border, height - 2 * border - 26, Mood::Dawn, 4711);
  Image img(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int ix = x - border, iy = y - border;
      if (ix >= 0 && iy >= 0 && ix < inner.width && iy < inner.height) {
        const std::size_t i = (static_cast<std::size_t>(iy) * inner.width + ix) * 3;
        const std::size_t o = (static_cast<std::size_t>(y) * width + x) * 3;
        std::copy_n(&inner.rgb[i], 3, &img.rgb[o]);
      } else {
        const double paper = 0.93 + 0.04 * Fbm(x * 0.2, y * 0.2, 3, 3);
        img.Set(x, y, Rgb{paper, paper * 0.98, paper * 0.92});
      }
    }
  }
  return img;
}

Image BalloonSprite(int width, int height) {
  Image img(width, height);  // all black: the key colour
  const double cx = width / 2.0, cy = height * 0.38, rx = width * 0.44, ry = height * 0.36;
  const Rgb stripes[] = {Hex(0xE74C3C), Hex(0xF5D142), Hex(0x2E86C1), Hex(0xF5F5F5)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
      // The envelope: an ellipse narrowing to a neck below its middle.
      const double taper = ny > 0 ? 1.0 - 0.55 * ny * ny : 1.0;
      const double e = nx * nx / (taper * taper) + ny * ny;
      Rgb c;
      bool drawn = false;
      if (e < 1.0 && ny < 1.0) {
        const double angle = std::asin(std::clamp(nx / taper, -1.0, 1.0));
        const int stripe = static_cast<int>(std::floor((angle / kPi + 0.5) * 8)) & 3;
        const double nz = std::sqrt(std::max(0.0, 1.0 - e));
        const double light = 0.35 + 0.75 * std::max(0.0, -0.5 * nx - 0.4 * ny + 0.75 * nz);
        c = stripes[stripe] * light +
            Rgb{1, 1, 1} * (0.35 * std::pow(std::max(0.0, nz - 0.6 + -0.4 * nx), 3));
        drawn = true;
      }
      // Ropes and the basket.
      const double basket_top = height * 0.84, basket_bottom = height * 0.97;
      const double bw = width * 0.12;
      if (y >= basket_top && y < basket_bottom && std::abs(x - cx) < bw) {
        const double weave = 0.75 + 0.25 * std::sin(x * 1.3) * std::sin(y * 1.1);
        c = Hex(0x8B5A2B) * weave;
        drawn = true;
      } else if (y > cy + ry * 0.8 && y < basket_top) {
        const double t = (y - (cy + ry * 0.8)) / (basket_top - (cy + ry * 0.8));
        for (const double side : {-1.0, 1.0}) {
          const double rope_x = cx + side * (width * 0.2 * (1 - t) + bw * t);
          if (std::abs(x - rope_x) < 1.0) {
            c = Hex(0x4A3A2A);
            drawn = true;
          }
        }
      }
      if (!drawn) continue;
      // Keep every drawn pixel clear of the key colour.
      c = {std::max(c.r, 0.04), std::max(c.g, 0.04), std::max(c.b, 0.04)};
      img.Set(x, y, c);
    }
  }
  return img;
}

std::vector<std::uint8_t> EncodeJpeg(const Image& image, int quality) {
  struct Handle {
    tjhandle h = tjInitCompress();
    ~Handle() {
      if (h) tjDestroy(h);
    }
  } tj;
  if (!tj.h) throw std::runtime_error("TurboJPEG: cannot start the encoder");
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(tj.h, image.rgb.data(), image.width, 0, image.height, TJPF_RGB, &out, &size,
                  TJSAMP_420, quality, TJFLAG_ACCURATEDCT) != 0) {
    if (out) tjFree(out);
    throw std::runtime_error(std::string("TurboJPEG: ") + tjGetErrorStr2(tj.h));
  }
  std::vector<std::uint8_t> bytes(out, out + size);
  tjFree(out);
  return bytes;
}

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
  const std::uint32_t row = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t data = row * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out.push_back('B');
  out.push_back('M');
  u32(54 + data);
  u32(0);
  u32(54);
  u32(40);
  u32(static_cast<std::uint32_t>(image.width));
  u32(static_cast<std::uint32_t>(image.height));
  u16(1);
  u16(24);
  u32(0);
  u32(data);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int y = image.height - 1; y >= 0; --y) {  // bottom-up rows of BGR
    const std::size_t start = out.size();
    for (int x = 0; x < image.width; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
      out.push_back(image.rgb[i + 2]);
      out.push_back(image.rgb[i + 1]);
      out.push_back(image.rgb[i]);
    }
    out.resize(start + row, 0);
  }
  return out;
}

}  // namespace demo
