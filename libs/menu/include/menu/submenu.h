// pwn::SubMenu: a pull-down menu, a column of items as wide as the widest.
#pragma once

#include <list>

#include "menu/window.h"

namespace pwn {

class BaseMenuEntry;
class SubMenuEntry;

class SubMenu : public Window {
public:
  SubMenu();
  // Then adds the SubMenuEntry* arguments up to a null pointer, giving each the
  // callback when it is not null.
  SubMenu(void (*callback)(int), ...);

  // Remembers the label and moves just under it.
  void setBaseMenu(BaseMenuEntry* e);
  // Places the item under the last one and widens every item to the widest.
  virtual void addChild(SubMenuEntry* e);
  using Object::addChild;

  std::list<gc::Pointer<SubMenuEntry>> entries;
  BaseMenuEntry* baseEntry;
};

}  // namespace pwn
