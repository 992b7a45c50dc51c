// pwn::SelectContents: choosing an entry of the drop-down list.
#include "menu/selectcontents.h"

#include "menu/select.h"

namespace pwn {

SelectContents::SelectContents(Vec2 const& pos_, Vec2 const& size_, Select* owner_)
    : Window(pos_, size_, false), owner(createPtr<Select>(owner_)) {
  hideOnClose = true;
  draggable = false;
}

bool SelectContents::mouseEvent(MouseEvent event, Vec2 const& local) {
  Select* s = owner.get();
  if (event.has(MouseEvent::primaryReleased) && s) {
    Object* through = mouseChild.get();
    for (std::size_t i = 0; through && i < s->items.size(); ++i) {
      if (s->items[i].get() == through) {
        s->userSetSelected(static_cast<int>(i));
        setVisible(false);
        break;
      }
    }
  }
  Window::mouseEvent(event, local);
  // The open list floats over the select and the rest of the GUI: it uses
  // every event that reaches it, so that nothing beneath it (the select above
  // all) reacts to a click meant for an entry or gets raised over the list.
  return true;
}

}  // namespace pwn
