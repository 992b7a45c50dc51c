// pwn::Checkbox: toggling on a primary release and notifying the listeners.
#include "menu/checkbox.h"

namespace pwn {

Checkbox::Checkbox(Vec2 const& pos_, const char* t, bool checked_) : Text(pos_, t), checked(checked_) {}

bool Checkbox::display() {
  fontColor = checked ? 0xFF00FFFFu : 0xFFFFFFFFu;
  return Object::display();
}

bool Checkbox::mouseEvent(MouseEvent event, Vec2 const&) {
  if (event.has(MouseEvent::primaryReleased)) {
    setChecked(!isChecked());
    return true;
  }
  return false;
}

void Checkbox::addCheckboxListener(CheckboxListener* l) { listeners.push_back(l); }

void Checkbox::setChecked(bool b) {
  checked = b;
  for (std::size_t i = 0; i < listeners.size(); ++i) listeners[i]->callback_onSetChecked(this, checked);
}

bool Checkbox::isChecked() { return checked; }

}  // namespace pwn
