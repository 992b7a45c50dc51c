// pwn::Text: a label measured once, at construction, with the default font size.
#include "menu/text.h"

#include <limits>

#include "menu/draw.h"

namespace pwn {

Text::Text(Vec2 const& pos_, const char* t) : Object(pos_, Vec2(1, 1)) {
  text = t ? t : "";
  backgroundColor = 0;
  float const inf = std::numeric_limits<float>::infinity();
  setSize(menuTextSize(text.c_str(), Vec2(inf, inf), fontSize));
}

}  // namespace pwn
