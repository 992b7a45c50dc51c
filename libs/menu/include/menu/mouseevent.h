// pwn::MouseEvent: the state of the three mouse buttons for one input pass, as
// nine flags (pressed in this frame, held, released in this frame).
#pragma once

#include <cstdint>

namespace pwn {

struct MouseEvent {
  enum Flag : std::uint32_t {
    primaryPressed = 1,
    secondaryPressed = 2,
    thirdPressed = 4,
    primaryHeld = 8,
    secondaryHeld = 16,
    thirdHeld = 32,
    primaryReleased = 64,
    secondaryReleased = 128,
    thirdReleased = 256
  };

  constexpr MouseEvent() : flags(0) {}
  constexpr explicit MouseEvent(std::uint32_t f) : flags(f) {}

  // The flags of three button states (0 up, 1 held, 2 pressed, 3 released),
  // for the primary, secondary and third button.
  static MouseEvent fromButtonStates(int primary, int secondary, int third) {
    int const states[3] = {primary, secondary, third};
    std::uint32_t f = 0;
    for (int b = 0; b < 3; ++b) {
      if (states[b] == 2) f |= 1u << b;
      if (states[b] == 1) f |= 8u << b;
      if (states[b] == 3) f |= 64u << b;
    }
    return MouseEvent(f);
  }

  bool has(std::uint32_t f) const { return (flags & f) != 0; }

  std::uint32_t flags;
};

}  // namespace pwn
