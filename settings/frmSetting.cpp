#include "settings/frmSetting.h"

namespace frmSetting {

void ShowModal(const Module1::State& /*module1*/, platform::StartupHost& /*host*/) {}

}  // namespace frmSetting
