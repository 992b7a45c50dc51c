// Command-key chords: the quit chord (Super + q), and which of a frame's
// presses belong to a chord rather than to typed text.
#pragma once

// True when this frame's presses hold a q typed while a command key is held,
// or after a command key's press in the same frame. A q pressed first and the
// command key after it is no chord.
bool quitChordPressed();

// Whether the press at position `index` of this frame's press queue is part of
// a command chord: a command key is held since an earlier frame, or was
// pressed earlier in the queue.
bool pressIsChord(int index);
