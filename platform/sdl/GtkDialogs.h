// GTK 3 dialogs of the desktop backend: message boxes, the password change, the settings form.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/StartupHost.h"

namespace scenesaver::platform {

// `closes_when`, when given, is asked a few times a second; the message closes as soon as it
// says true (the process has been asked to end).
void GtkMessageBox(std::string_view text, std::string_view caption, MessageIcon icon,
                   const std::function<bool()>& closes_when = {});
void GtkPasswordChangeDialog(std::string_view key_name, std::int64_t parent_window);
void GtkSettingsDialogModal(SettingsForm& form);

}  // namespace scenesaver::platform
