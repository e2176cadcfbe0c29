// The settings dialog as its window sees it: Option1(0..3) and Command1(0..1).
#pragma once

namespace scenesaver::platform {

class SettingsForm {
 public:
  virtual ~SettingsForm() = default;
  virtual void Form_Load() = 0;
  virtual bool Option1Value(int index) const = 0;
  // The user selected Option1(index); its partner in the same frame is cleared.
  virtual void Option1_Click(int index) = 0;
  // Command1_Click(index); returns true when the dialog hides (ends the modal show).
  virtual bool Command1_Click(int index) = 0;
};

}  // namespace scenesaver::platform
