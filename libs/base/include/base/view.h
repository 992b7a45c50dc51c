// View: a camera (orthographic or perspective projection, orientation,
// position) and the scene it shows; sets up the GL matrices and computes frusta.
#pragma once

#include "math/basis.h"
#include "math/quat.h"
#include "math/vec.h"

class Scene;
class Viewport;
class Frustum;

// Camera convention: a camera looks along its local +X axis, local +Y is the
// screen's left and local +Z is up. correctAngleInverse() turns that into
// OpenGL's eye space (looking along -Z, +Y up).
class View {
public:
  // Flags of setupView / setProjection / setModelview.
  enum SetupFlags {
    PROJECTION_IDENTITY = 1,  // load the identity into the projection matrix
    PROJECTION = 2,           // multiply in the view's projection
    MODELVIEW_IDENTITY = 4,   // load the identity into the model-view matrix
    MODELVIEW_ROTATE = 8,     // multiply in the inverse orientation
    MODELVIEW_TRANSLATE = 16, // multiply in the translation by minus the position
    ALL = -1
  };

  View();

  // Stores, in argument order, the scene, projection kind, half sizes, aspect
  // mode, clipping distances, position and orientation.
  void set(Scene* scene, bool ortho, float width, float height, int aspectMode, float nearClip,
           float farClip, _vec<3, float> const& pos, _quat<float> const& orient);
  // Perspective, half sizes 1 by 1, aspect mode 1, clipping 1 to 3000, at the
  // origin with the identity orientation, no scene.
  void reset();

  // The half sizes used for a viewport of the given aspect (pixel height over
  // pixel width): aspect mode 1 derives the height from the width, 2 the width
  // from the height; any other mode keeps both.
  void getExtents(float aspect, float* w, float* h) const;

  void setupView(int flags, float aspect) const;
  void setProjection(int flags, float aspect) const;
  void setModelview(int flags) const;

  static void correctAngleInverse();
  static void correctAngle();
  void rotate() const;
  void rotateInverse() const;
  void translateInverse() const;

  // Sets up both matrices for the viewport and asks the scene to draw; a view
  // without a scene draws nothing.
  void render(Viewport const* viewport) const;

  void calculateFrustum(Frustum* frustum, float aspect) const;
  void calculateFrustum(Viewport* viewport) const;

  Scene* scene;
  bool ortho;
  float width;   // half-width: world units (ortho) or at distance 1 (perspective)
  float height;  // half-height, same units
  int aspectMode;
  float nearClip;
  float farClip;
  _basis<_vec<3, float>, _quat<float> > basis;  // orientation, then position
};
