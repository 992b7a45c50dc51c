// pwn::BaseMenu: a menu bar, a row of labels each opening its pull-down menu.
#pragma once

#include <list>

#include "menu/window.h"

namespace pwn {

class BaseMenuEntry;
class SubMenu;

class BaseMenu : public Window {
public:
  explicit BaseMenu(Vec2 const& pos);

  // A press on a label toggles its sub menu and hides the one open before;
  // every event that reaches the bar is used.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  virtual void hideLast();
  // Places the label right of the last one and widens the bar to it.
  virtual void addChild(BaseMenuEntry* e);
  using Object::addChild;

  std::list<gc::Pointer<BaseMenuEntry>> entries;
  gc::Pointer<SubMenu> openSub;
};

}  // namespace pwn
