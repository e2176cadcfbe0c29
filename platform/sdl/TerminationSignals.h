// The signals that would end the process (HUP, INT, QUIT, TERM, USR1, USR2, ALRM, PIPE) end the
// show instead, so that the extracted files are removed: while an object of this class lives,
// those signals only raise a flag.
#pragma once

#include <csignal>

namespace scenesaver::platform {

class TerminationSignals {
 public:
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // True once one of the signals has arrived.
  static bool Raised();

  static constexpr int kSignalCount = 8;

 private:
  struct sigaction previous_[kSignalCount];
};

}  // namespace scenesaver::platform
