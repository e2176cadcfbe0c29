// The settings dialog's logic and the four-byte settings file.
#pragma once

#include "platform/Host.h"
#include "startup/Module1.h"

namespace frmSetting {

// Shows the dialog modally through the host's dialog window; writes the file on OK.
void ShowModal(const Module1::State& module1, platform::StartupHost& host);

}  // namespace frmSetting
