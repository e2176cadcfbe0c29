// The settings dialog keeps its twips layout in every language: each control's text, in the
// language the environment chooses, fits the width the layout gives the control, as GTK (Pango)
// measures it with the fonts of this machine. Runs in an X server (xvfb-run), once per language.
#include <gtest/gtest.h>

#include <iostream>

#include "platform/posix/UserLanguage.h"
#include "platform/sdl/GtkDialogs.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

class StillForm final : public platform::SettingsForm {
 public:
  void Form_Load() override {}
  bool Option1Value(int index) const override { return index == 0 || index == 2; }
  void Option1_Click(int) override {}
  bool Command1_Click(int) override { return true; }
};

TEST(SettingsDialogFitTest, EveryTextFitsItsControl) {
  const platform::TextLanguage language =
      platform::UseUserLanguage(SCENESAVER_BINARY_DIR "/locale");
  StillForm form;
  const std::vector<platform::ControlFit> fits = platform::MeasureSettingsDialog(form);
  ASSERT_EQ(fits.size(), 8u) << "two frames, four option buttons, two buttons";
  const bool english = language == platform::TextLanguage::kEnglish;
  EXPECT_EQ(fits.back().text, english ? "Cancel" : "キャンセル");
  for (const platform::ControlFit& fit : fits) {
    std::cout << "  " << fit.text << ": needs " << fit.needed << " px of " << fit.given << "\n";
    EXPECT_GT(fit.needed, 0) << "'" << fit.text << "' was not measured";
    EXPECT_LE(fit.needed, fit.given) << "'" << fit.text << "' does not fit its control";
  }
}

}  // namespace
