// pwn::TextScrollContainer: sizing scrolled text to its wrapped height.
#include "menu/textscrollcontainer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "menu/draw.h"
#include "menu/scrollarea.h"

namespace pwn {

TextScrollContainer::TextScrollContainer(Vec2 const& pos_, Vec2 const& size_) : ScrollContainer(pos_, size_) {
  backgroundColor = 0x7F000000u;
}

void TextScrollContainer::setText(std::string const& s) {
  text = s;
  Vec2 const box(std::trunc(size.x), std::numeric_limits<float>::infinity());
  float height = menuTextSize(text.c_str(), box, fontSize).y;
  if (ScrollArea* a = area.get()) height = std::max(height, a->getSize().y - 1);
  setSize(Vec2(size.x, height));
}

}  // namespace pwn
