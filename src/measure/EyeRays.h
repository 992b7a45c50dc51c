// EyeRays: the eye ray in world space through a pixel of a view, as the view's projection draws it.
#pragma once

#include "DisplacedTracer.h"
#include "base/view.h"

// The ray through the centre of `pixel` (x + width * y, rows bottom first) of
// a width x height view of `view`: perspective from the camera's position
// through the pixel's place on the plane at distance 1 (the view's half sizes
// there, the height following the width as the view's aspect mode says);
// orthographic along the camera's forward axis from the pixel's place in the
// plane through the camera. The direction is not normalised.
DisplacedRay eyeRay(View const& view, int width, int height, int pixel);
