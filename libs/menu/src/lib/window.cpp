// pwn::Window: dragging under capture, hiding or closing, the close button's place.
#include "menu/window.h"

#include "menu/closebutton.h"
#include "menu/menusystem.h"
#include "system/mouse.h"

namespace pwn {

Window::Window(Vec2 const& pos_, Vec2 const& size_, bool closable_)
    : Object(pos_, size_),
      hideOnClose(false),
      closable(closable_),
      draggable(true),
      closeButton(createPtr<CloseButton>(nullptr)) {
  if (closable || hideOnClose) {
    closeButton = new CloseButton(Vec2(size.x - 2.0f, 1.0f), hideOnClose);
    addChild(closeButton.get());
  }
  backgroundColor = 0xBF000000u;
}

void Window::setSize(Vec2 const& s) {
  Object::setSize(s);
  if (CloseButton* b = closeButton.get()) b->setPos(Vec2(size.x - 2.0f, b->getPos().y));
}

bool Window::mouseEvent(MouseEvent event, Vec2 const&) {
  if (event.has(MouseEvent::secondaryPressed)) {
    if (hideOnClose) {
      visible = false;
      return true;
    }
    if (closable) {
      close();
      return true;
    }
  }
  if (draggable) {
    if (event.has(MouseEvent::primaryPressed)) {
      menuSys->setCapture(this);
      return true;
    }
    if (event.has(MouseEvent::primaryHeld)) {
      // The mouse handler's y grows upward, the GUI's downward.
      _vec<2, float> const& move = mouse.getFMove();
      _vec<2, float> menuSize = menuSys->getSize();
      pos.x += move.x * menuSize.x;
      pos.y -= move.y * menuSize.y;
    }
    if (event.has(MouseEvent::primaryReleased)) {
      menuSys->clearCapture();
      return true;
    }
  }
  return false;
}

void Window::close() { closeObject(this); }

void Window::closeObject(Object* obj) {
  if (!obj) return;
  menuSys->releaseSubtree(obj);
  obj->setVisible(false);
  obj->unlinkFromParent();
}

}  // namespace pwn
