// pwn::TextScrollContainer: a scroll container that sizes itself to its wrapped text.
#pragma once

#include "menu/scrollcontainer.h"

namespace pwn {

class TextScrollContainer : public ScrollContainer {
public:
  TextScrollContainer(Vec2 const& pos, Vec2 const& size);

  // Stores the text and takes its wrapped height, at least the area's view height.
  void setText(std::string const& s) override;
};

}  // namespace pwn
