// Base: the engine object `base` - start-up and shut-down of the engine's
// services, the per-frame main loop, keyboard camera control, the pick ray, and
// the four views and five viewports with their two layouts.
#pragma once

#include <vector>

#include "base/view.h"
#include "base/viewport.h"
#include "math/line.h"
#include "math/vec.h"

class Scene;
class LoopCallback;

class Base {
public:
  // Index of each engine view.
  enum ViewIndex { VIEW_TOP = 0, VIEW_FRONT = 1, VIEW_SIDE = 2, VIEW_MAIN = 3, NUM_VIEWS = 4 };
  // Viewport 0 fills the window; 1 to 4 are the quarters of the four-view layout.
  enum ViewportIndex {
    VP_FULL = 0,
    VP_TOP_RIGHT = 1,
    VP_TOP_LEFT = 2,
    VP_BOTTOM_RIGHT = 3,
    VP_BOTTOM_LEFT = 4,
    NUM_VIEWPORTS = 5
  };

  Base();
  // Runs shutdown() again; harmless after the module's own shut-down.
  ~Base();

  // Needs the window and GL context: image loaders, textures, the variable
  // registry, the console (80 by 50), GL extensions, views and viewports.
  void init();
  // The console and the registry (when init() ran), then reset().
  void shutdown();
  // Camera speeds and switches, pick ray and main viewport back to their
  // defaults; no frame function or callback.
  void reset();

  // Makes the scene the one shown by all four views.
  void setScene(Scene* scene);
  // Store the per-frame callback (or plain frame function) and run the
  // platform loop until an exit is requested.
  void loop(LoopCallback* callback);
  void loop(void (*func)());
  // One frame.
  void doLoop();

  // The three fixed orthographic views (top, front, side).
  void initViews();
  // The single full-window layout, and the view of every viewport.
  void initViewports();
  // Toggles between the single layout and the four-view one.
  void restoreViewports();
  void clearAllViewports();
  bool isFullscreen() const;
  // The last active viewport whose rectangle holds pixel p (edges included), or null.
  Viewport* getTopViewAt(_vec<2, int> const& p);
  // Recomputes the five rectangles for a window of w by h pixels.
  void resizeViewports(int w, int h);

  _line<3, float> mouseLine;  // pick ray under the pointer, world space
  Viewport* mainViewport;     // the application's own viewport
  float camSpeed;             // world units per second
  float camRot;               // degrees per second
  float camZoom;              // zoom factor per second while zooming in
  bool camKeys;               // keyboard camera control on
  View views[NUM_VIEWS];
  Viewport viewports[NUM_VIEWPORTS];
  std::vector<Viewport*> activeViewports;  // drawn in order each frame
  void (*loopFunc)();
  LoopCallback* loopCallback;

  // State kept between frames, process-wide: frame-rate counter and its last
  // refresh time, the camera clock, the recording flag.
  static double framecount;
  static double lasttime;
  static double thistime;
  static double lastClock;
  static bool dumping;

private:
  void updateFrameRate();
  void cameraKeys();
  void updateMouseLine();

  bool initialised;  // init() ran and shutdown() has not yet
};

extern Base base;
