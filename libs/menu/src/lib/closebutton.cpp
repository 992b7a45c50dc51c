// pwn::CloseButton: hides or closes its parent on a primary press.
#include "menu/closebutton.h"

#include "math/assert.h"
#include "menu/window.h"

namespace pwn {

CloseButton::CloseButton(Vec2 const& pos_, bool hideOnClose_) : Text(pos_, "X"), hideOnClose(hideOnClose_) {}

bool CloseButton::mouseEvent(MouseEvent event, Vec2 const&) {
  if (event.has(MouseEvent::primaryPressed)) {
    closeParent();
    return true;
  }
  return false;
}

void CloseButton::closeParent() {
  Object* p = parent.get();
  ASSERT(p);
  if (hideOnClose) {
    p->setVisible(false);
  } else if (Window* w = dynamic_cast<Window*>(p)) {
    w->close();
  } else {
    Window::closeObject(p);
  }
}

}  // namespace pwn
