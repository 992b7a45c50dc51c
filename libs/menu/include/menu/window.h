// pwn::Window: a translucent panel that can be dragged with the primary button
// and hidden or closed with the secondary button or its close button.
#pragma once

#include "menu/object.h"

namespace pwn {

class CloseButton;

class Window : public Object {
public:
  Window(Vec2 const& pos, Vec2 const& size, bool closable);

  // Keeps the close button at the top right corner.
  void setSize(Vec2 const& s) override;
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;

  // Takes the window off the screen for good: the focus and capture let go of
  // anything inside it, it leaves its parent, and the next collection frees it
  // unless something else still refers to it.
  virtual void close();
  // The same for any object.
  static void closeObject(Object* obj);

  bool hideOnClose;
  bool closable;
  bool draggable;
  gc::Pointer<CloseButton> closeButton;
};

}  // namespace pwn
