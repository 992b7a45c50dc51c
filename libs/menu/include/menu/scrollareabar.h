// pwn::ScrollAreaBar: a scrollbar of a scroll area that moves the area's content.
#pragma once

#include "menu/scrollbar.h"

namespace pwn {

class ScrollArea;

class ScrollAreaBar : public Scrollbar {
public:
  ScrollAreaBar(Vec2 const& pos, float length, bool horizontal, float min, float max, float sliderPos,
                ScrollArea* area);

  // Also moves the area's container to minus the value along the bar's axis.
  void setSliderPos(float p, bool force) override;

  gc::Pointer<ScrollArea> area;
};

}  // namespace pwn
