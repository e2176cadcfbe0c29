// SIGTERM, SIGINT and SIGHUP end the show instead of the process, so that the extracted files
// are removed: while an object of this class lives, those signals only raise a flag.
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

 private:
  struct sigaction previous_[3];
};

}  // namespace scenesaver::platform
