// The desktop presentation window on SDL2: a factory, so no SDL header leaks to callers.
#pragma once

#include <memory>

#include "platform/Host.h"

namespace platform {

std::unique_ptr<ShowHost> MakeSdlShowHost();

}  // namespace platform
