// pwn::MenuRoot: the root of the widget tree, sized to the window.
#pragma once

#include "menu/object.h"

namespace pwn {

class MenuRoot : public Object {
public:
  MenuRoot();

  // Draws nothing; the children are drawn.
  bool display() override;
  void postDisplay() override;
  // Refused with an Exception: the root follows the window only.
  void setSize(Vec2 const& s) override;
  void setScale(Vec2 const& s) override;
  // The window size divided by the scale.
  virtual void refreshSize();
};

}  // namespace pwn
