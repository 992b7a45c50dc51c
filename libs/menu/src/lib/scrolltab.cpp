// pwn::ScrollTab: dragging a scrollbar's tab under the mouse capture.
#include "menu/scrolltab.h"

#include "menu/menusystem.h"
#include "menu/scrollbar.h"
#include "system/mouse.h"

namespace pwn {

ScrollTab::ScrollTab(Vec2 const& size_, Scrollbar* bar_) : Object(Vec2(0, 0), size_), bar(bar_) {}

bool ScrollTab::mouseEvent(MouseEvent event, Vec2 const&) {
  if (event.has(MouseEvent::primaryPressed)) {
    menuSys->setCapture(this);
    return true;
  }
  if (event.has(MouseEvent::primaryHeld)) {
    // Pointer movement in menu units along the bar (the handler's y grows upward).
    _vec<2, float> const& move = mouse.getFMove();
    _vec<2, float> const menuSize = menuSys->getSize();
    float const moved = bar->isHorz() ? move.x * menuSize.x : -move.y * menuSize.y;
    // The tab travels length - 3 units for the whole range; a bar too short
    // to let it travel does not move.
    float const travel = bar->getLength() - 2 - 1;
    if (travel > 0)
      bar->setSliderPos(bar->getSliderPos() + moved * (bar->getMax() - bar->getMin()) / travel, false);
    return true;
  }
  if (event.has(MouseEvent::primaryReleased)) {
    menuSys->clearCapture();
    return true;
  }
  return false;
}

}  // namespace pwn
