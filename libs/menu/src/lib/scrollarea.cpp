// pwn::ScrollArea: the viewport, its two bars and fitting them to the content.
#include "menu/scrollarea.h"

#include <algorithm>

#include "menu/scrollareabar.h"
#include "menu/scrollcontainer.h"

namespace pwn {

ScrollArea::ScrollArea(Vec2 const& pos_, Vec2 const& size_, ScrollContainer* container_)
    : Object(pos_, size_),
      hBar(createPtr<Scrollbar>(nullptr)),
      vBar(createPtr<Scrollbar>(nullptr)),
      container(createPtr<ScrollContainer>(container_)) {
  if (container_) {
    container_->area = this;
    container_->setPos(Vec2(0, 0));
    addChild(container_);
  }
  ScrollAreaBar* h = new ScrollAreaBar(Vec2(0, size.y - 1), size.x - 1, true, 0, 0, 0, this);
  ScrollAreaBar* v = new ScrollAreaBar(Vec2(size.x - 1, 0), size.y - 1, false, 0, 0, 0, this);
  hBar = h;
  vBar = v;
  addChild(h);
  addChild(v);
  // Ranges and visibility as after any resize: bars show only when needed.
  updateChildSize();
}

void ScrollArea::updateChildSize() {
  Scrollbar* h = hBar.get();
  Scrollbar* v = vBar.get();
  if (!h || !v) return;
  Vec2 const view(size.x - 1, size.y - 1);
  ScrollContainer* c = container.get();
  float const rangeX = c ? std::max(0.0f, c->getSize().x - view.x) : 0;
  float const rangeY = c ? std::max(0.0f, c->getSize().y - view.y) : 0;
  h->setRange(0, rangeX);
  v->setRange(0, rangeY);
  if (c) c->setPos(Vec2(-h->getSliderPos(), -v->getSliderPos()));
  // The bars stay on the bottom and right edges of the resized area.
  h->setPos(Vec2(0, size.y - 1));
  v->setPos(Vec2(size.x - 1, 0));
  h->setLength(size.x - 1);
  h->setVisible(rangeX > 0);
  v->setLength(size.y - 1);
  v->setVisible(rangeY > 0);
}

void ScrollArea::setSize(Vec2 const& s) {
  bool const differs = s != size;
  Object::setSize(s);
  if (differs) updateChildSize();
}

}  // namespace pwn
