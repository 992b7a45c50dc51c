// SIGTERM and SIGINT end the bench cleanly: the handler only notes the signal,
// and the main loop asks for the exit at its next frame.
#pragma once

// Installs the handler for both signals. A second signal of the same kind,
// before the loop has taken the first, ends the program at once.
void installStopSignals();
// Whether a stop signal arrived since the last call.
bool takeStopSignal();
