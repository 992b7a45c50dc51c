// SIGTERM and SIGINT: a flag set by the handler, taken by the main loop.
#include "StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void noteStop(int) { stopAsked = 1; }

}  // namespace

void installStopSignals() {
  struct sigaction action = {};
  action.sa_handler = noteStop;
  sigemptyset(&action.sa_mask);
  // The handler goes after one use: a second signal while the program is
  // stuck in a long frame takes the default action and ends it.
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

bool takeStopSignal() {
  if (!stopAsked) return false;
  stopAsked = 0;
  return true;
}
