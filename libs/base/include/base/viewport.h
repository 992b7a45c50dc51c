// Viewport: a window pixel rectangle that draws one view (GL viewport, optional
// scissor and clear, the view's frustum) and maps pixels to the near plane.
#pragma once

#include "base/frustum.h"
#include "math/box.h"
#include "math/vec.h"

class View;

class Viewport {
public:
  Viewport();

  // Rectangle (0, 0, 1, 1), no view, no scissor, clear colour (0, 0, 0, 0) not
  // loaded, clearing of the colour, depth and stencil buffers on.
  void reset();

  // Pixel height over pixel width of the rectangle.
  float getAspect() const;

  // Sets the GL viewport to the rectangle, then the scissor box and the clear
  // colour when asked for, then clears when asked for.
  void setupViewport();
  // Clears clearMask.
  void clear();
  // Computes the view's frustum for this rectangle; needs a view.
  void setupFrustum();
  // setupViewport, then (with a view) the frustum and the view's drawing, then
  // shutdownViewport.
  void render();
  // Disables the scissor test when this viewport enabled it.
  void shutdownViewport();

  // The world-space point on the near plane under window pixel p (origin at
  // the window's bottom-left), from the frustum of the last render.
  _vec<3, float> getPixelPos(_vec<2, int> const& p) const;

  _box<2, int> rect;  // x0, y0, x1, y1; y upward from the bottom; x1, y1 exclusive
  View* view;         // not owned
  Frustum frustum;
  bool scissor;
  bool setClearColor;
  _vec<4, float> clearColor;
  bool doClear;       // clear before drawing
  unsigned clearMask; // GL buffer bits
};
