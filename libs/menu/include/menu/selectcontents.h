// pwn::SelectContents: the drop-down list of a select, one unit per entry.
#pragma once

#include "menu/window.h"

namespace pwn {

class Select;

class SelectContents : public Window {
public:
  SelectContents(Vec2 const& pos, Vec2 const& size, Select* owner);

  // A release on an entry chooses it and closes the list; every event that
  // reaches the open list is used.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  gc::Pointer<Select> owner;
};

}  // namespace pwn
