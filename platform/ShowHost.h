// Everything the presentation reaches of the platform, one role per base class; a test fakes
// only the roles it looks at (tests/unit/support/FakeShowHost.h).
#pragma once

#include "platform/EventLoop.h"
#include "platform/Messages.h"
#include "platform/MusicAndSounds.h"
#include "platform/ScreenSaverPassword.h"
#include "platform/PictureFiles.h"
#include "platform/PresentationWindow.h"
#include "platform/SystemValues.h"

namespace scenesaver::platform {

class ShowHost : public EventLoop,
                 public PresentationWindow,
                 public PictureFiles,
                 public MusicAndSounds,
                 public ScreenSaverPassword,
                 public SystemValues,
                 public Messages {};

}  // namespace scenesaver::platform
