// GTK 3 dialogs of the desktop backend: message boxes, the password change, the settings form.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "platform/StartupHost.h"

namespace scenesaver::platform {

// Starts GTK on first use; false when it cannot (no display to open).
bool EnsureGtk();

// `closes_when`, when given, is asked a few times a second; the message closes as soon as it
// says true (the process has been asked to end). With `hold_input`, the keyboard and pointer
// stay with this process while the message is up (a locked show's message).
void GtkMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                   const std::function<bool()>& closes_when = {}, bool hold_input = false);
void GtkPasswordChangeDialog(std::string_view key_name, std::int64_t parent_window);
// The reason when GTK cannot start.
base::Result<void> GtkSettingsDialogModal(SettingsForm& form);

// A control of the settings dialog, its text as shown, the width in pixels its content needs
// and the width the layout's twips give it.
struct ControlFit {
  std::string text;
  int needed = 0;
  int given = 0;
};
// Builds the settings dialog (not shown) in the user's language and measures each control with
// a text (frames, option buttons, buttons); empty when GTK cannot start.
std::vector<ControlFit> MeasureSettingsDialog(SettingsForm& form);

}  // namespace scenesaver::platform
