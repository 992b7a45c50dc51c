// The contract between the engine and its one application module (Scene,
// LoopCallback, BaseModule) and the functions that run the module's lifecycle.
#pragma once

class Viewport;
class View;

// What a view shows: asked to draw itself once per view and frame.
class Scene {
public:
  virtual void render(Viewport const* viewport, View const* view) = 0;

protected:
  ~Scene() = default;
};

// Called once per frame, before the views are drawn.
class LoopCallback {
public:
  virtual void update() = 0;
  // True while the callback's own input (a focused text field, say) takes the
  // keys: the engine's camera keys then leave them alone, as they do while the
  // console is open.
  virtual bool takesKeyboard() { return false; }

protected:
  ~LoopCallback() = default;
};

// The application module: initialised once, updated every frame, asked to draw
// itself into every visible view, shut down once. A module overrides all four
// virtual operations; its init() sets the platform's start-up parameters, calls
// BaseModule::init() and then loads its own resources; its shutdown() releases
// them and calls BaseModule::shutdown() last.
class BaseModule : public Scene, public LoopCallback {
public:
  void render(Viewport const* viewport, View const* view) override;
  // Opens the window and GL context (ISystem::init), then starts the engine
  // (Base::init).
  virtual void init();
  // Stops the engine (Base::shutdown), then closes the window (ISystem::shutdown).
  virtual void shutdown();
  void update() override;
  // The status the program ends with after the loop has ended normally: 0
  // unless the module says its run was cut short.
  virtual int exitStatus() const { return 0; }

  // Makes this module the scene of every engine view and runs the main loop
  // until an exit is requested.
  void loop();
};

// Defined by the application: its module. Returns the same object every time and
// does nothing else.
BaseModule* RegisterApplication();

// Runs the whole program: the module's init(), the main loop, its shutdown().
void InitBase();

// The same three steps, for a host that drives the program itself.
void InitBasePiecewise();
void LoopBasePiecewise();
void ShutdownBasePiecewise();

// The module bound by InitBasePiecewise(); null until then.
extern BaseModule* baseModule;

// The frame function handed to the platform loop: one frame of the engine.
void base_loopCallback();
