// pwn::ScrollContainer: scrolled content that tells its area when it is resized.
#include "menu/scrollcontainer.h"

#include "menu/scrollarea.h"

namespace pwn {

ScrollContainer::ScrollContainer(Vec2 const& pos_, Vec2 const& size_)
    : Object(pos_, size_), area(createPtr<ScrollArea>(nullptr)) {
  backgroundColor = 0x7F000000u;
}

void ScrollContainer::setSize(Vec2 const& s) {
  bool const differs = s != size;
  Object::setSize(s);
  // A container that no area shows yet has nothing to update.
  if (differs)
    if (ScrollArea* a = area.get()) a->updateChildSize();
}

}  // namespace pwn
