// pwn::ScrollArea: a viewport with a horizontal and a vertical bar that scrolls
// one container inside it.
#pragma once

#include "menu/object.h"

namespace pwn {

class Scrollbar;
class ScrollContainer;

class ScrollArea : public Object {
public:
  ScrollArea(Vec2 const& pos, Vec2 const& size, ScrollContainer* container);

  void setSize(Vec2 const& s) override;
  // Fits the bars' ranges, lengths, places and visibility to the container.
  virtual void updateChildSize();

  gc::Pointer<Scrollbar> hBar;
  gc::Pointer<Scrollbar> vBar;
  gc::Pointer<ScrollContainer> container;
};

}  // namespace pwn
