// The command line XScreenSaver gives a hack, and the window ids it passes.
#include <gtest/gtest.h>

#include "platform/posix/WindowId.h"
#include "tools/scenepack/HackSwitches.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::ParseWindowId;
using scenepack::WithDoubleDashHackSwitches;

TEST(HackSwitchesTest, SingleDashSwitchesGainASecondDash) {
  const char* argv[] = {"scenepack",  "play", "show.scr", "-root",
                        "-window-id", "0x2a", "-window",  "-window-id=7"};
  const std::vector<std::string> expected = {"scenepack",   "play", "show.scr", "--root",
                                             "--window-id", "0x2a", "--window", "--window-id=7"};
  EXPECT_EQ(WithDoubleDashHackSwitches(8, argv), expected);
}

TEST(HackSwitchesTest, EverythingElseIsLeftAlone) {
  // Double-dash switches, short options, look-alikes and the program name stay as they are.
  const char* argv[] = {"-root", "play", "--root", "-r", "-rooted", "-windows", "-window-idx", "-"};
  const std::vector<std::string> expected(argv, argv + 8);
  EXPECT_EQ(WithDoubleDashHackSwitches(8, argv), expected);
}

TEST(WindowIdTest, DecimalAndHexadecimal) {
  EXPECT_EQ(ParseWindowId("4194311"), 4194311u);
  EXPECT_EQ(ParseWindowId("0x400007"), 0x400007u);
  EXPECT_EQ(ParseWindowId("0X1aF"), 0x1AFu);
  EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
}

TEST(WindowIdTest, RejectsWhatIsNotAWholeNonzeroId) {
  for (const char* text : {"", "0", "0x", "0x0", "-5", "+5", "12abc", "0x12g", " 12", "12 ",
                           "4294967296", "0x100000000", "1e3"}) {
    EXPECT_FALSE(ParseWindowId(text).has_value()) << '"' << text << '"';
  }
}

}  // namespace
