// pwn::BaseMenuEntry: a label of a menu bar with its pull-down menu.
#pragma once

#include "menu/text.h"

namespace pwn {

class SubMenu;

class BaseMenuEntry : public Text {
public:
  // The sub menu (which may be null) goes to subParent, hidden, so that it can
  // extend outside the bar.
  BaseMenuEntry(const char* text, SubMenu* sub, Object* subParent);

  gc::Pointer<SubMenu> sub;
};

}  // namespace pwn
