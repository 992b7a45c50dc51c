// pwn::SubMenuEntry: an item of a pull-down menu that calls a function with its id.
#pragma once

#include "menu/text.h"

namespace pwn {

class SubMenuEntry : public Text {
public:
  SubMenuEntry(const char* text, int id, void (*callback)(int), Vec2 const& pos);

  // A release calls the callback and closes the menu; the event goes on to it.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  int id;
  void (*callback)(int);
};

}  // namespace pwn
