// pwn::ScrollTab: the draggable tab of a scrollbar.
#pragma once

#include "menu/object.h"

namespace pwn {

class Scrollbar;

class ScrollTab : public Object {
public:
  ScrollTab(Vec2 const& size, Scrollbar* bar);

  // Pressing captures the mouse; while held, the pointer's movement moves the
  // bar's value; releasing lets go.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  Scrollbar* bar;
};

}  // namespace pwn
