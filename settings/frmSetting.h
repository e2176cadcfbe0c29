// The settings dialog's logic: two frames ("BGM", "Sound"), each with an "ON"/"OFF" pair of
// option buttons, Option1(0..3), and the buttons Command1(0) "OK" and Command1(1) "キャンセル".
// The window itself belongs to the host; it calls the handlers below.
#pragma once

#include <array>

#include "base/Result.h"
#include "base/Texts.h"
#include "package/ShowState.h"
#include "platform/StartupHost.h"

namespace scenesaver::settings {

inline constexpr int kOptionCount = 4;
inline constexpr int kCommandOk = 0;
inline constexpr int kCommandCancel = 1;

// Told when OK cannot write the settings file (shown through base::Tr, followed by the reason).
inline constexpr const char* kNotSaved = base::Translatable("設定を保存できませんでした。");
inline constexpr const char* kNotSavedCaption = base::Translatable("スクリーンセーバー");

class Form final : public platform::SettingsForm {
 public:
  Form(const package::ShowState& module1, platform::StartupHost& host)
      : module1_(module1), host_(host) {}

  // Selects "ON" or "OFF" in each frame from MusicEnabled and SoundEnabled.
  void Form_Load() override;
  bool Option1Value(int index) const override;
  void Option1_Click(int index) override;
  // 0 "OK": writes the settings file (in its place: see FileToWrite) and hides; when the file
  // cannot be written, tells the user and stays open. 1 "キャンセル": hides without writing.
  bool Command1_Click(int index) override;

 private:
  const package::ShowState& module1_;
  platform::StartupHost& host_;
  std::array<bool, kOptionCount> option1_{};
};

// Loads the form, shows it modally through the host's dialog window and releases it when the
// dialog is hidden or closed. The host's reason when the dialog cannot be shown.
base::Result<void> ShowModal(const package::ShowState& module1, platform::StartupHost& host);

}  // namespace scenesaver::settings
