// pwn::Radio: a checkbox in a group of which at most one is checked; clicking
// a radio checks it and never clears it.
#pragma once

#include "menu/checkbox.h"

namespace pwn {

class RadioGroup;

class Radio : public Checkbox {
public:
  // Joins `group` (which may be null), then applies `checked` through setChecked.
  Radio(Vec2 const& pos, const char* text, RadioGroup* group, bool checked);

  bool mouseEvent(MouseEvent event, Vec2 const& local) override;
  // Checking clears the other radios of the group first.
  void setChecked(bool b) override;

  gc::Pointer<RadioGroup> group;
};

}  // namespace pwn
