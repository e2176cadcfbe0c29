// GTK 3 dialogs of the desktop backend: message boxes, the password change, the settings form.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/StartupHost.h"

namespace scenesaver::platform {

void GtkMessageBox(std::string_view text, std::string_view caption, MessageIcon icon);
void GtkPasswordChangeDialog(std::string_view key_name, std::int64_t parent_window);
void GtkSettingsDialogModal(SettingsForm& form);

}  // namespace scenesaver::platform
