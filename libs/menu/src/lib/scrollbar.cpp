// pwn::Scrollbar: value range, tab placement, arrow stepping and listeners.
#include "menu/scrollbar.h"

#include <algorithm>
#include <cstdio>

#include "base/exception.h"
#include "menu/scrolltab.h"

namespace pwn {

Scrollbar::Scrollbar(Vec2 const& pos_, float length_, bool horizontal_, float min_, float max_, float sliderPos_)
    : Object(pos_, Vec2(1, 1)),
      sliderPos(0),
      upButton(createPtr<Text>(nullptr)),
      downButton(createPtr<Text>(nullptr)),
      tab(createPtr<Object>(nullptr)),
      horizontal(horizontal_),
      length(1),
      // The range is empty until it is stored below; setLength already places
      // the tab, which must not read an unset range.
      min(0),
      max(0),
      step(0) {
  upButton = new Text(Vec2(0, 0), horizontal ? "<" : "^");
  downButton = new Text(Vec2(0, 0), horizontal ? ">" : "v");
  tab = new ScrollTab(Vec2(1, 1), this);
  backgroundColor = 0x7F000000u;
  setLength(length_);
  min = min_;
  max = max_;
  if (min > max) std::swap(min, max);
  step = (max - min) * 0.01f;
  tab->setBackgroundColor(0x7F7F7F7Fu);
  Object::addChild(upButton.get());
  Object::addChild(downButton.get());
  Object::addChild(tab.get());
  // The requested value, not the one clamped into the empty range above.
  setSliderPos(sliderPos_, true);
}

void Scrollbar::setLength(float l) {
  length = l < 1 ? 1 : l;
  if (horizontal) {
    downButton->setPos(Vec2(length - 1, 0));
    Object::setSize(Vec2(length, 1));
  } else {
    downButton->setPos(Vec2(0, length - 1));
    Object::setSize(Vec2(1, length));
  }
  setSliderPos(sliderPos, true);
}

void Scrollbar::setRange(float a, float b) {
  min = a;
  max = std::max(a, b);
  step = (max - min) * 0.01f;
  setSliderPos(sliderPos, true);
}

void Scrollbar::setSliderPos(float p, bool force) {
  if (p == sliderPos && !force) return;
  sliderPos = p;
  if (sliderPos < min) sliderPos = min;
  if (sliderPos > max) sliderPos = max;
  // The tab runs from 1 (after the up button) to length - 2; with an empty
  // range it stays at the start.
  float const t = max > min ? 1 + (sliderPos - min) * (length - 3) / (max - min) : 1;
  if (Object* tb = tab.get()) {
    Vec2 const& at = tb->getPos();
    tb->setPos(horizontal ? Vec2(t, at.y) : Vec2(at.x, t));
  }
  for (std::size_t i = 0; i < scrollbarListeners.size(); ++i) scrollbarListeners[i]->callback_onScroll(this);
}

bool Scrollbar::mouseEvent(MouseEvent event, Vec2 const&) {
  if (!event.has(MouseEvent::primaryHeld)) return false;
  Object* through = mouseChild.get();
  if (through && through == upButton.get()) {
    std::printf("scrulling ul\n");
    setSliderPos(sliderPos - step, false);
  } else if (through && through == downButton.get()) {
    std::printf("scrolling dr\n");
    setSliderPos(sliderPos + step, false);
  }
  return true;
}

void Scrollbar::setSize(Vec2 const&) { throw Exception() << "Scrollbar::setSize not implemented"; }

void Scrollbar::addScrollbarListener(ScrollbarListener* l) { scrollbarListeners.push_back(l); }
float Scrollbar::getSliderPos() { return sliderPos; }
Vec2 Scrollbar::getRange() { return Vec2(min, max); }
bool Scrollbar::isHorz() { return horizontal; }
float Scrollbar::getLength() { return length; }
float Scrollbar::getMin() { return min; }
float Scrollbar::getMax() { return max; }
Object* Scrollbar::getScrollTab() { return tab.get(); }

}  // namespace pwn
