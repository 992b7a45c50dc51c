// pwn::Scrollbar and pwn::ScrollbarListener: a one-unit-thick bar with an arrow
// button at each end and a draggable tab mapping a value range onto its length.
#pragma once

#include <vector>

#include "menu/object.h"
#include "menu/text.h"

namespace pwn {

class Scrollbar;

class ScrollbarListener {
public:
  virtual void callback_onScroll(Scrollbar* bar) = 0;

protected:
  ~ScrollbarListener() = default;
};

class Scrollbar : public Object {
public:
  Scrollbar(Vec2 const& pos, float length, bool horizontal, float min, float max, float sliderPos);

  // Holding the primary button on an arrow moves the value one step per pass.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;
  // Refused with an Exception: the size follows setLength only.
  void setSize(Vec2 const& s) override;

  virtual void addScrollbarListener(ScrollbarListener* l);
  virtual float getSliderPos();
  // Clamps p into the range, places the tab and notifies; an unchanged value
  // does nothing unless forced.
  virtual void setSliderPos(float p, bool force);
  virtual Vec2 getRange();
  // min = a, max = the larger of a and b.
  virtual void setRange(float a, float b);
  virtual void setLength(float l);
  virtual bool isHorz();
  virtual float getLength();
  virtual float getMin();
  virtual float getMax();
  virtual Object* getScrollTab();

  std::vector<ScrollbarListener*> scrollbarListeners;
  float sliderPos;
  gc::Pointer<Text> upButton;
  gc::Pointer<Text> downButton;
  gc::Pointer<Object> tab;
  bool horizontal;
  float length;
  float min;
  float max;
  float step;
};

}  // namespace pwn
