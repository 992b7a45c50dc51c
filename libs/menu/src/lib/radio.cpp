// pwn::Radio: a checkbox that clears the rest of its group when it is checked.
#include "menu/radio.h"

#include "menu/radiogroup.h"

namespace pwn {

Radio::Radio(Vec2 const& pos_, const char* t, RadioGroup* group_, bool checked_)
    : Checkbox(pos_, t, false), group(createPtr<RadioGroup>(group_)) {
  if (group_) group_->radios.push_back(group_->createPtr<Radio>(this));
  setChecked(checked_);
}

bool Radio::mouseEvent(MouseEvent event, Vec2 const& local) {
  if (event.has(MouseEvent::primaryReleased)) {
    setChecked(true);
    return true;
  }
  Checkbox::mouseEvent(event, local);
  return false;
}

void Radio::setChecked(bool b) {
  if (b) {
    if (RadioGroup* g = group.get()) g->clearAllExcept(this);
  }
  Checkbox::setChecked(b);
}

}  // namespace pwn
