// pwn::IMenuSystem and pwn::MenuSystem: the owner of the widget tree, which
// dispatches mouse and keys into it once per frame and draws it over the scene.
#pragma once

#include "base/cvar.h"
#include "gc/gc.h"
#include "math/box.h"
#include "math/vec.h"
#include "menu/draw.h"
#include "menu/mouseevent.h"

namespace pwn {

class Object;
class MenuRoot;

class IMenuSystem {
public:
  virtual ~IMenuSystem() {}
  // Reads the console font's glyph widths and creates the root. Needs the GL
  // context. The GUI follows the console's font from then on.
  virtual void init() = 0;
  // Drops the root and collects.
  virtual void shutdown() = 0;
  // Draws the tree over the scene.
  virtual void display() = 0;
  // One input pass; true when the GUI used the mouse or a key.
  virtual bool getInput() = 0;
  virtual _vec<2, float> getSize() = 0;
  virtual Object* getRoot() = 0;
  virtual FontTable& getFont() = 0;
  virtual void setFocus(Object* obj) = 0;
  virtual bool keyWasTrapped() = 0;
  virtual void setCapture(Object* obj) = 0;
  virtual Object* getCapture() = 0;
  virtual void clearCapture() = 0;
  // Drops the focus, the capture and the click target when they are `obj` or
  // lie inside it: called before a subtree leaves the tree for good.
  virtual void releaseSubtree(Object* obj) = 0;
};

class MenuSystem : public IMenuSystem {
public:
  MenuSystem();
  ~MenuSystem() override;

  void init() override;
  void shutdown() override;
  void display() override;
  bool getInput() override;
  _vec<2, float> getSize() override;
  Object* getRoot() override;
  FontTable& getFont() override;
  void setFocus(Object* obj) override;
  bool keyWasTrapped() override;
  void setCapture(Object* obj) override;
  Object* getCapture() override;
  void clearCapture() override;
  void releaseSubtree(Object* obj) override;

  void reset();
  // Measures the glyph extents of the font texture (fontTex.texture).
  void calcFontWidths();
  // Takes the console's glyph sheet as the font and measures its glyphs. The
  // input and drawing passes call it whenever the console's font has changed
  // since (ConsoleFont deletes the texture it replaces).
  void followConsoleFont();
  // Dispatches the event to obj and its subtree; `pos` is in the coordinates of
  // the content of obj's parent. 0: not used, 1: used, 2: used at preMouseEvent.
  int processMouseEvent(Object* obj, MouseEvent event, _vec<2, float> pos);
  // Draws obj and its subtree clipped to `clip` (content coordinates of obj's parent).
  void doDisplay(Object* obj, _box<2, float> clip);
  // Moves obj to the back of its parent's children (drawn last, hit first).
  void setTopmost(Object* obj);
  // Raises the children of obj that asked for it, in their order.
  void updateTopmostPriority(Object* obj);
  Object* getFocus();

  gc::GlobalPointer<MenuRoot> root;
  gc::GlobalPointer<Object> focus;
  gc::GlobalPointer<Object> clickTarget;
  gc::GlobalPointer<Object> capture;
  bool skipCaptured;
  bool keyTrapped;
  unsigned fontRevision = 0;  // the console's font revision last followed
};

// Counts the objects visited by the latest drawing pass.
extern _cvar<int> menuCount;
extern MenuSystem g_menuSys;
extern IMenuSystem* const menuSys;

}  // namespace pwn
