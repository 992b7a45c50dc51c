// pwn::BaseMenu: laying out the labels of a menu bar and toggling their menus.
#include "menu/basemenu.h"

#include "menu/basemenuentry.h"
#include "menu/submenu.h"

namespace pwn {

namespace {

// The position of `o`'s top-left corner in the content coordinates of `frame`;
// both are measured from the top of their tree, which they share.
Vec2 positionIn(Object* o, Object* frame) {
  Vec2 at = o->getRelPos(nullptr) + o->contentOffset;
  if (frame) at -= frame->getRelPos(nullptr);
  return at;
}

}  // namespace

BaseMenu::BaseMenu(Vec2 const& pos_) : Window(pos_, Vec2(1, 1), false), openSub(createPtr<SubMenu>(nullptr)) {
  hideOnClose = false;
  closable = false;
  draggable = false;
}

void BaseMenu::addChild(BaseMenuEntry* e) {
  if (!e) return;
  if (entries.empty()) {
    e->setPos(Vec2(0, 0));
  } else {
    BaseMenuEntry* last = entries.back().get();
    e->setPos(Vec2(last->getPos().x + last->getSize().x, 0));
  }
  entries.push_back(createPtr<BaseMenuEntry>(e));
  Object::addChild(e);
  setSize(Vec2(e->getPos().x + e->getSize().x, size.y));
}

bool BaseMenu::mouseEvent(MouseEvent event, Vec2 const& local) {
  if (event.has(MouseEvent::primaryPressed)) {
    if (BaseMenuEntry* entry = dynamic_cast<BaseMenuEntry*>(mouseChild.get())) {
      SubMenu* s = entry->sub.get();
      if (s) {
        s->setVisible(!s->getVisible());
        // One unit below the label, wherever the menu's parent lies.
        if (s->getVisible()) s->setPos(positionIn(entry, s->parent.get()) + Vec2(0, 1));
      }
      if (s != openSub.get()) {
        hideLast();
        openSub = s;
      }
    }
  }
  Window::mouseEvent(event, local);
  return true;
}

void BaseMenu::hideLast() {
  if (SubMenu* s = openSub.get()) s->setVisible(false);
}

}  // namespace pwn
