// pwn::SubMenu: a column of items under a menu-bar label.
#include "menu/submenu.h"

#include <algorithm>
#include <cstdarg>

#include "menu/basemenuentry.h"
#include "menu/submenuentry.h"

namespace pwn {

SubMenu::SubMenu() : Window(Vec2(0, 0), Vec2(1, 1), false), baseEntry(nullptr) { hideOnClose = true; }

SubMenu::SubMenu(void (*callback)(int), ...) : Window(Vec2(0, 0), Vec2(1, 1), false), baseEntry(nullptr) {
  hideOnClose = true;
  va_list args;
  va_start(args, callback);
  while (SubMenuEntry* e = va_arg(args, SubMenuEntry*)) {
    if (callback) e->callback = callback;
    addChild(e);
  }
  va_end(args);
}

void SubMenu::setBaseMenu(BaseMenuEntry* e) {
  baseEntry = e;
  if (e) setPos(Vec2(e->getPos().x, e->getPos().y + e->getSize().y));
}

void SubMenu::addChild(SubMenuEntry* e) {
  if (!e) return;
  if (entries.empty()) {
    e->setPos(Vec2(0, 0));
  } else {
    SubMenuEntry* last = entries.back().get();
    e->setPos(Vec2(0, last->getPos().y + last->getSize().y));
  }
  setSize(Vec2(std::max(size.x, e->getSize().x), e->getPos().y + e->getSize().y));
  entries.push_back(createPtr<SubMenuEntry>(e));
  Object::addChild(e);
  for (auto& p : entries)
    if (SubMenuEntry* item = p.get()) item->setSize(Vec2(size.x, item->getSize().y));
}

}  // namespace pwn
