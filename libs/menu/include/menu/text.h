// pwn::Text: a transparent label sized to its text when it is created.
#pragma once

#include "menu/object.h"

namespace pwn {

class Text : public Object {
public:
  // Sized with menuTextSize at the default font size (1, 1); callers that change
  // the font size afterwards set the size themselves.
  Text(Vec2 const& pos, const char* text);
};

}  // namespace pwn
