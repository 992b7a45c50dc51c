// pwn::ScrollAreaBar: keeping the area's container at minus the bar's value.
#include "menu/scrollareabar.h"

#include "math/assert.h"
#include "menu/scrollarea.h"
#include "menu/scrollcontainer.h"

namespace pwn {

ScrollAreaBar::ScrollAreaBar(Vec2 const& pos_, float length_, bool horizontal_, float min_, float max_,
                             float sliderPos_, ScrollArea* area_)
    : Scrollbar(pos_, length_, horizontal_, min_, max_, sliderPos_), area(createPtr<ScrollArea>(area_)) {}

void ScrollAreaBar::setSliderPos(float p, bool force) {
  Scrollbar::setSliderPos(p, force);
  ScrollArea* parent = area.get();
  ASSERT(parent);
  if (ScrollContainer* c = parent->container.get()) {
    Vec2 const& at = c->getPos();
    c->setPos(horizontal ? Vec2(-sliderPos, at.y) : Vec2(at.x, -sliderPos));
  }
}

}  // namespace pwn
