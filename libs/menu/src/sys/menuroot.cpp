// pwn::MenuRoot: the invisible, window-sized root of the widget tree.
#include "menu/menuroot.h"

#include "base/exception.h"
#include "system/display.h"

namespace pwn {

MenuRoot::MenuRoot() : Object(Vec2(0, 0), Vec2(60, 40)) {
  backgroundColor = 0;
  borderColor = 0;
}

bool MenuRoot::display() { return true; }
void MenuRoot::postDisplay() {}

void MenuRoot::setSize(Vec2 const&) { throw Exception() << "MenuRoot::setSize not allowed"; }

void MenuRoot::setScale(Vec2 const& s) {
  scale = s;
  refreshSize();
}

void MenuRoot::refreshSize() {
  _vec<2, int> const& w = disp.getSize();
  Object::setSize(Vec2(static_cast<float>(w.x) / scale.x, static_cast<float>(w.y) / scale.y));
}

}  // namespace pwn
