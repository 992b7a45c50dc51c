// pwn::SubMenuEntry: choosing an item of a pull-down menu.
#include "menu/submenuentry.h"

#include "menu/submenu.h"

namespace pwn {

SubMenuEntry::SubMenuEntry(const char* t, int id_, void (*callback_)(int), Vec2 const& pos_)
    : Text(pos_, t), id(id_), callback(callback_) {}

bool SubMenuEntry::mouseEvent(MouseEvent event, Vec2 const&) {
  if (event.has(MouseEvent::primaryReleased)) {
    if (callback) callback(id);
    if (SubMenu* menu = dynamic_cast<SubMenu*>(parent.get())) menu->setVisible(false);
  }
  return false;
}

}  // namespace pwn
