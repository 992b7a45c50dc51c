// pwn::Checkbox and pwn::CheckboxListener: a label that toggles on a primary
// release and shows its state by its text colour (yellow checked, white not).
#pragma once

#include <vector>

#include "menu/text.h"

namespace pwn {

class Checkbox;

class CheckboxListener {
public:
  virtual void callback_onSetChecked(Checkbox* box, bool checked) = 0;

protected:
  ~CheckboxListener() = default;
};

class Checkbox : public Text {
public:
  // Stores `checked` without notifying anyone.
  Checkbox(Vec2 const& pos, const char* text, bool checked);

  bool display() override;
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  virtual void addCheckboxListener(CheckboxListener* l);
  // Stores b and notifies every listener, also when the value did not change.
  virtual void setChecked(bool b);
  virtual bool isChecked();

  std::vector<CheckboxListener*> listeners;
  bool checked;
};

}  // namespace pwn
