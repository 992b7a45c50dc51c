// pwn::TextField: key editing while focused and committing on loss of focus.
#include "menu/textfield.h"

namespace pwn {

TextField::TextField(Vec2 const& pos_, float width) : Object(pos_, Vec2(width, 1.0f)), changed(false) {
  allowFocus = true;
}

void TextField::onFocus() {
  changed = false;
  backgroundColor = 0xFF2F2F00u;
}

void TextField::onBlur() {
  backgroundColor = 0xFF000000u;
  if (changed) {
    onTextChange();
    for (std::size_t i = 0; i < listeners.size(); ++i) listeners[i]->callback_onTextChange(this);
  }
}

bool TextField::doKeyPress(int key) {
  if (key == 13 || key == 10) {
    loseFocus();
    return true;
  }
  if (key == 8) {
    if (!text.empty()) text.pop_back();
  } else if (key >= 32 && key <= 127) {
    text += static_cast<char>(key);
  }
  changed = true;
  return true;
}

void TextField::addTextListener(TextListener* l) { listeners.push_back(l); }

void TextField::onTextChange() {}

}  // namespace pwn
