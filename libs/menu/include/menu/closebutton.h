// pwn::CloseButton: the "X" label that hides or closes its parent when pressed.
#pragma once

#include "menu/text.h"

namespace pwn {

class CloseButton : public Text {
public:
  CloseButton(Vec2 const& pos, bool hideOnClose);

  bool mouseEvent(MouseEvent event, Vec2 const& local) override;
  // Hides the parent, or closes it for good. The button must have a parent.
  virtual void closeParent();

  bool hideOnClose;
};

}  // namespace pwn
