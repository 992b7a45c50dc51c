// pwn::ScrollContainer: the content of a scroll area; resizing it updates the area.
#pragma once

#include "menu/object.h"

namespace pwn {

class ScrollArea;

class ScrollContainer : public Object {
public:
  ScrollContainer(Vec2 const& pos, Vec2 const& size);

  void setSize(Vec2 const& s) override;

  gc::Pointer<ScrollArea> area;
};

}  // namespace pwn
