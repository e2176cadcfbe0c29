// System-wide values the show sets while it runs.
#pragma once

namespace scenesaver::platform {

class SystemValues {
 public:
  virtual ~SystemValues() = default;
  // SystemParametersInfoA(97, ...): the screen-saver-running state.
  virtual void SetScreenSaverRunning(bool running) = 0;
};

}  // namespace scenesaver::platform
