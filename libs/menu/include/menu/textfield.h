// pwn::TextField and pwn::TextListener: a one-line text input that takes every
// key while focused and reports an edit when it loses the focus.
#pragma once

#include <vector>

#include "menu/object.h"

namespace pwn {

class TextField;

class TextListener {
public:
  virtual void callback_onTextChange(TextField* field) = 0;

protected:
  ~TextListener() = default;
};

class TextField : public Object {
public:
  TextField(Vec2 const& pos, float width);

  // Dark cyan while focused; the edit starts unchanged.
  void onFocus() override;
  // Black again; an edit since the focus was gained is committed to the listeners.
  void onBlur() override;
  // Backspace removes, 32 to 127 append, RETURN and line feed drop the focus;
  // every key is consumed.
  bool doKeyPress(int key) override;

  virtual void addTextListener(TextListener* l);
  // Runs before the listeners on a commit; nothing here.
  virtual void onTextChange();

  std::vector<TextListener*> listeners;
  bool changed;
};

}  // namespace pwn
