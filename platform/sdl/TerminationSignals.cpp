#include "platform/sdl/TerminationSignals.h"

namespace scenesaver::platform {

namespace {

// Every catchable signal whose default action ends the process.
constexpr int kSignals[TerminationSignals::kSignalCount] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,
                                                            SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE};
volatile std::sig_atomic_t raised = 0;

extern "C" void OnTerminationSignal(int /*signal*/) { raised = 1; }

}  // namespace

TerminationSignals::TerminationSignals() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
  for (int i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool TerminationSignals::Raised() { return raised != 0; }

}  // namespace scenesaver::platform
