// pwn::Object: tree operations, attributes and the default hooks of every widget.
#include "menu/object.h"

#include <algorithm>
#include <cstdio>

#include "math/assert.h"
#include "menu/draw.h"
#include "menu/menusystem.h"

namespace pwn {

Object::Object(Vec2 const& pos_, Vec2 const& size_)
    : parent(createPtr<Object>(nullptr)),
      visible(true),
      mouseChild(createPtr<Object>(nullptr)),
      pos(pos_),
      size(0, 0),
      scale(1, 1),
      backgroundColor(0xFF000000u),
      textureID(0),
      fontColor(0xFFFFFFFFu),
      borderColor(0xFFFFFFFFu),
      fontSize(1, 1),
      contentOffset(0, 0),
      topmostPriority(0),
      allowFocus(false) {
  Object::setSize(size_);
}

void Object::addResizeListener(ResizeListener* l) { resizeListeners.push_back(l); }

void Object::removeResizeListener(ResizeListener* l) {
  auto it = std::find(resizeListeners.begin(), resizeListeners.end(), l);
  if (it != resizeListeners.end()) resizeListeners.erase(it);
}

int Object::preMouseEvent(MouseEvent, Vec2 const&) { return visible ? 0 : 1; }
bool Object::mouseEvent(MouseEvent, Vec2 const&) { return false; }
void Object::onFocus() {}
void Object::onBlur() {}
bool Object::doKeyPress(int) { return false; }
void Object::setFocus() { menuSys->setFocus(this); }
void Object::loseFocus() { menuSys->setFocus(nullptr); }

bool Object::display() {
  if (!visible) return false;
  menuDisplayRect(Vec2(0, 0), size, backgroundColor, textureID);
  if (!text.empty()) menuDisplayText(Vec2(0, 0), size, text.c_str(), fontColor, fontSize);
  return true;
}

void Object::postDisplay() {
  if (visible) menuDisplayRectBorder(Vec2(0, 0), size, borderColor, 1.0f);
}

Vec2 Object::getRelPos(Object* ancestor) {
  Vec2 r(0, 0);
  for (Object* o = this; o && o != ancestor; o = o->parent.get()) r += o->pos - o->contentOffset;
  return r;
}

Vec2 const& Object::getPos() { return pos; }
void Object::setPos(Vec2 const& p) { pos = p; }
Vec2 const& Object::getSize() { return size; }

void Object::setSize(Vec2 const& s) {
  Vec2 c(std::max(s.x, 0.0f), std::max(s.y, 0.0f));
  if (c == size) return;
  size = c;
  // Read the count before each call: a listener may add another.
  for (std::size_t i = 0; i < resizeListeners.size(); ++i) resizeListeners[i]->onResize(this);
}

Vec2 const& Object::getScale() { return scale; }
void Object::setScale(Vec2 const& s) { scale = s; }
bool Object::getVisible() { return visible; }
void Object::setVisible(bool v) { visible = v; }
unsigned int Object::getBackgroundColor() { return backgroundColor; }
void Object::setBackgroundColor(unsigned int c) { backgroundColor = c; }
unsigned int Object::getFontColor() { return fontColor; }
void Object::setFontColor(unsigned int c) { fontColor = c; }
unsigned int Object::getBorderColor() { return borderColor; }
void Object::setBorderColor(unsigned int c) { borderColor = c; }
Vec2 const& Object::getFontSize() { return fontSize; }
void Object::setFontSize(Vec2 const& s) { fontSize = s; }
int Object::getTextureID() { return textureID; }
void Object::setTextureID(int id) { textureID = id; }
int Object::getTopmostPriority() { return topmostPriority; }
void Object::setTopmostPriority(int p) { topmostPriority = p; }
bool Object::getAllowFocus() { return allowFocus; }
void Object::setAllowFocus(bool a) { allowFocus = a; }
std::string const& Object::getText() { return text; }
void Object::setText(std::string const& t) { text = t; }

void Object::addChild(Object* child) {
  bool add = child != nullptr;
  ASSERT(add);
  child->unlinkFromParent();
  child->parent = this;
  children.push_back(createPtr<Object>(child));
}

void Object::unlinkFromParent() {
  Object* p = parent.get();
  if (!p) return;
  std::size_t before = p->children.size();
  p->children.remove_if([this](gc::Pointer<Object> const& c) { return c.target == this; });
  if (p->children.size() == before)
    std::fprintf(stderr, "tried to unlik a child when it wasn't a part of its parent to begin with\n");
  // The parent's record of the latest mouse path must not keep a detached
  // child alive or have it raised among children it no longer belongs to.
  if (p->mouseChild.target == this) p->mouseChild = nullptr;
  parent = nullptr;
}

int Object::indexOfChild(Object* child) {
  int i = 0;
  for (auto const& c : children) {
    if (c.target == child) return i;
    ++i;
  }
  return -1;
}

Vec2 Object::getAbsPos() { return getRelPos(getRoot()); }

Object* Object::getRoot() { return menuSys->getRoot(); }

}  // namespace pwn
