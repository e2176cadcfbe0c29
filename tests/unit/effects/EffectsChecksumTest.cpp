// A regression net over all 29 transitions: every refreshed image of a run at odd sizes, folded
// into one checksum per transition. A change here means some step now shows other pixels.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "EffectsTestSupport.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using namespace effects_test;

std::uint64_t Fold(std::uint64_t hash, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    hash ^= (value >> (8 * i)) & 0xFFu;
    hash *= 0x100000001B3ull;  // FNV-1a
  }
  return hash;
}

std::uint64_t RunChecksum(int number, int width, int height) {
  Harness h(width, height);
  std::uint64_t hash = 0xCBF29CE484222325ull;
  h.loop.on_refresh = [&](const Surface& s, int) {
    for (const std::uint32_t p : s.Pixels()) hash = Fold(hash, p);
  };
  h.Play(number);
  for (const std::uint32_t p : h.picture1.Pixels()) hash = Fold(hash, p);
  return Fold(hash, static_cast<std::uint32_t>(h.loop.refreshes));
}

struct Size {
  int width, height;
};

constexpr std::array<Size, 2> kSizes = {Size{37, 23}, Size{61, 97}};

constexpr std::array<std::array<std::uint64_t, 29>, 2> kExpected = {{
    {0xB26F353387583245ull, 0x4043C7EA260B5CB7ull, 0x11833FC9891C626Cull, 0xDDFD85AA38E0045Aull,
     0x81158B41016ADC66ull, 0x1B0906F8ADB5A950ull, 0x1A8877804166F03Full, 0x125EB3BB3B686915ull,
     0x7CD4193A97D779BCull, 0xEA37489563918358ull, 0x451FC5FD30FD2096ull, 0x968110620051F52Dull,
     0xF22949214A995554ull, 0x79820DAE4889320Cull, 0xBE6022E0ADC0BE63ull, 0xE0671C8A50298A5Aull,
     0x7B985DBA40BDEE51ull, 0x694EB4DEC73A6BDAull, 0xC028A70E6964AE40ull, 0xE6BB05734D8762C8ull,
     0x16956EE4CFEBFC60ull, 0x54E380212E56AEA8ull, 0x81E74FFCCA714663ull, 0x5F1E7E4F54B94D06ull,
     0x57389FB4EBD7E743ull, 0xBD28C8D35B1D4030ull, 0x2C0BD7BA22AC9860ull, 0x250F363C4E9B4420ull,
     0xC6EA5EE2C14C8968ull},
    {0xF927FC08B1B4A8FCull, 0xA8D728B0E96838CDull, 0xC86E3AB6C5F1919Cull, 0x85B33E4E4F269B85ull,
     0xD1DD29840A90E662ull, 0xE84437435EE5CE5Cull, 0xF76777E811C0AEB4ull, 0x85AB3FFB831C9685ull,
     0xF3716CC7FC14461Cull, 0x52E7AD6235242E65ull, 0x15211868FCDCE34Aull, 0x876C1B3BD393090Dull,
     0xA2EE4F6E5BDF32E8ull, 0x5CC7CA41059009A0ull, 0xE40B6DF124D49397ull, 0x20D15C262C3333C3ull,
     0x36311866ECF53337ull, 0x1252BC4DD3F1E04Bull, 0xB0B426F66E8F9860ull, 0x86FE3FF7E7E9FC65ull,
     0x4093270A791ECAA0ull, 0xEAE8E3E2C513F365ull, 0x0E7FEE1868B92003ull, 0xBD93745D98AF28E0ull,
     0xB18D81FCEC5C4738ull, 0x73183E153EB50F00ull, 0xF1C0D90C01FDD120ull, 0xE221CAE2BDBB4A80ull,
     0x05333AC8FEB6B6A5ull},
}};

TEST(EffectsChecksum, EveryStepOfEveryTransitionAtOddSizes) {
  for (std::size_t size = 0; size < kSizes.size(); ++size) {
    for (int number = 1; number <= 29; ++number) {
      const std::uint64_t sum = RunChecksum(number, kSizes[size].width, kSizes[size].height);
      EXPECT_EQ(sum, kExpected[size][number - 1])
          << "effect " << number << " at " << kSizes[size].width << "x" << kSizes[size].height;
    }
  }
}

}  // namespace
