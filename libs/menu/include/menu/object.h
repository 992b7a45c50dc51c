// pwn::Object: the base of every widget, a collected object in a tree with its
// attributes, its tree operations and the hooks the menu system calls.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "gc/gc.h"
#include "math/vec.h"
#include "menu/mouseevent.h"
#include "menu/resizelistener.h"

namespace pwn {

typedef _vec<2, float> Vec2;

class Object : public gc::Object {
public:
  // Coordinates: origin top left, y downward; `pos` is in the parent's content
  // coordinates, everything the object draws in its own.
  Object(Vec2 const& pos, Vec2 const& size);
  ~Object() override {}

  virtual void addResizeListener(ResizeListener* l);
  virtual void removeResizeListener(ResizeListener* l);

  // 0: go on (children, then mouseEvent); 1: skip this object and its subtree;
  // 2: the event is used here.
  virtual int preMouseEvent(MouseEvent event, Vec2 const& local);
  // Whether the event was used.
  virtual bool mouseEvent(MouseEvent event, Vec2 const& local);
  virtual void onFocus();
  virtual void onBlur();
  // Whether the key was used.
  virtual bool doKeyPress(int key);
  // Ask the menu system to give this object the keyboard focus, or to focus nothing.
  virtual void setFocus();
  virtual void loseFocus();

  // Draws background and text; false (and nothing drawn) when invisible. The
  // result tells the menu system whether to draw the children.
  virtual bool display();
  // Draws the outline; runs right after display(), before the children.
  virtual void postDisplay();

  // Position of this object's content origin relative to that of `ancestor`:
  // the sum of pos - contentOffset up to (not including) the ancestor.
  virtual Vec2 getRelPos(Object* ancestor);
  virtual Vec2 const& getPos();
  virtual void setPos(Vec2 const& p);
  virtual Vec2 const& getSize();
  // Clamps each component to 0 or more; listeners hear of a real change only.
  virtual void setSize(Vec2 const& s);
  virtual Vec2 const& getScale();
  virtual void setScale(Vec2 const& s);
  virtual bool getVisible();
  virtual void setVisible(bool v);
  virtual unsigned int getBackgroundColor();
  virtual void setBackgroundColor(unsigned int c);
  virtual unsigned int getFontColor();
  virtual void setFontColor(unsigned int c);
  virtual unsigned int getBorderColor();
  virtual void setBorderColor(unsigned int c);
  virtual Vec2 const& getFontSize();
  virtual void setFontSize(Vec2 const& s);
  virtual int getTextureID();
  virtual void setTextureID(int id);
  virtual int getTopmostPriority();
  virtual void setTopmostPriority(int p);
  virtual bool getAllowFocus();
  virtual void setAllowFocus(bool a);
  virtual std::string const& getText();
  virtual void setText(std::string const& t);

  // Moves `child` (not null) here from wherever it was, on top of its siblings.
  void addChild(Object* child);
  // Takes this object out of its parent's children.
  void unlinkFromParent();
  // Position of `child` among the children from the front, or -1.
  int indexOfChild(Object* child);
  Vec2 getAbsPos();
  // The menu system's root.
  static Object* getRoot();

  gc::Pointer<Object> parent;
  // Drawing order: front first (lowest), back last (on top).
  std::list<gc::Pointer<Object>> children;
  bool visible;
  // The child through which the latest mouse event passed.
  gc::Pointer<Object> mouseChild;
  Vec2 pos;
  Vec2 size;
  Vec2 scale;
  unsigned int backgroundColor;  // packed 0xAABBGGRR; alpha 0 is not drawn
  int textureID;
  unsigned int fontColor;
  unsigned int borderColor;
  Vec2 fontSize;       // one glyph cell in this object's units
  Vec2 contentOffset;  // children are placed at pos - contentOffset
  int topmostPriority;
  bool allowFocus;
  std::string text;
  std::vector<ResizeListener*> resizeListeners;
};

}  // namespace pwn
