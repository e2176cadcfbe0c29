#include "settings/frmSetting.h"

#include <optional>
#include <string>

#include "settings/SettingsFile.h"

namespace scenesaver::settings {
namespace {

bool ValidOption(int index) { return index >= 0 && index < kOptionCount; }

}  // namespace

void Form::Form_Load() {
  Option1_Click(module1_.MusicEnabled != 0 ? 0 : 1);
  Option1_Click(module1_.SoundEnabled != 0 ? 2 : 3);
}

bool Form::Option1Value(int index) const {
  return ValidOption(index) && option1_[static_cast<std::size_t>(index)];
}

void Form::Option1_Click(int index) {
  if (!ValidOption(index)) return;
  // Buttons 0/1 share the "BGM" frame and 2/3 the "Sound" frame.
  option1_[static_cast<std::size_t>(index)] = true;
  option1_[static_cast<std::size_t>(index ^ 1)] = false;
}

bool Form::Command1_Click(int index) {
  if (index == kCommandCancel) return true;
  if (index != kCommandOk) return false;
  const std::optional<std::string> failure = WriteToItsPlace(
      {module1_.SettingsFilePath, module1_.UserSettingsFilePath}, Option1Value(0), Option1Value(2));
  if (failure) {
    host_.MessageBox(std::string(base::Tr(kNotSaved)) + "\n" + *failure, base::Tr(kNotSavedCaption),
                     platform::MessageIcon::kWarning);
    return false;
  }
  return true;
}

base::Result<void> ShowModal(const package::ShowState& module1, platform::StartupHost& host) {
  Form form(module1, host);
  form.Form_Load();
  return host.ShowSettingsModal(form);
}

}  // namespace scenesaver::settings
