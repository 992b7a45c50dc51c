// pwn::BaseMenuEntry: a menu-bar label that places its pull-down menu.
#include "menu/basemenuentry.h"

#include "menu/submenu.h"

namespace pwn {

BaseMenuEntry::BaseMenuEntry(const char* t, SubMenu* sub_, Object* subParent)
    : Text(Vec2(0, 0), t), sub(createPtr<SubMenu>(sub_)) {
  if (!sub_) return;
  if (subParent) subParent->addChild(sub_);
  sub_->setVisible(false);
  sub_->setBaseMenu(this);
}

}  // namespace pwn
