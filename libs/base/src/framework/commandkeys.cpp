// Command-key chords read from the frame's key states and its press queue, so
// that a chord tapped faster than a frame still counts.
#include "base/commandkeys.h"

#include "system/keyboard.h"

namespace {

bool isCommandKey(int key) { return key == Key::LMETA || key == Key::RMETA; }

// Held since an earlier frame; a press of this frame counts by its place in
// the queue instead.
bool heldBefore(int key) { return kbd.getKeyState(key) == 1; }

}  // namespace

bool pressIsChord(int index) {
  if (heldBefore(Key::LMETA) || heldBefore(Key::RMETA)) return true;
  for (int i = 0; i < index; ++i)
    if (isCommandKey(kbd.getKeyDownQueue(i))) return true;
  return false;
}

bool quitChordPressed() {
  int const n = kbd.getKeyDownQueueSize();
  for (int i = 0; i < n; ++i)
    if (kbd.getKeyDownQueue(i) == 'q' && pressIsChord(i)) return true;
  return false;
}
