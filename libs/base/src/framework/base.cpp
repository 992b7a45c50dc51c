// Base: construction, start-up and shut-down of the engine, scene and loop
// binding, and the console variables over the engine's camera settings.
#include "base/base.h"

#include "base/basemodule.h"
#include "base/console.h"
#include "base/cvar.h"
#include "base/imagesystem.h"
#include "base/texturesystem.h"
#include "system/glext.h"
#include "system/system.h"

double Base::framecount = 0;
double Base::lasttime = -1.0;
double Base::thistime = 0;
double Base::lastClock = -1.0;
bool Base::dumping = false;

Base base;

static CVarw cvarCamKeys(&base.camKeys, "camKeys", nullptr, 1);
static CVarw cvarCamSpeed(&base.camSpeed, "camSpeed", nullptr, 1);
static CVarw cvarCamRot(&base.camRot, "camRot", nullptr, 1);
static CVarw cvarCamZoom(&base.camZoom, "camZoom", nullptr, 1);

Base::Base() : loopFunc(nullptr), loopCallback(nullptr), initialised(false) { reset(); }

Base::~Base() {
  // At exit the console and the GL context may already be gone (other static
  // objects, destroyed in no fixed order), so the destructor only resets the
  // engine's own state. After a normal end shutdown() has run already.
  initialised = false;
  shutdown();
}

void Base::init() {
  ImageSystem::init();
  TextureSystem::init();
  cvarSys.validate();
  cvarSys->init();
  con.init(80, 50);
  init_ext();
  initViews();
  initViewports();
  initialised = true;
}

void Base::shutdown() {
  if (initialised) {
    con.shutdown();
    cvarSys.validate();
    cvarSys->shutdown();
    initialised = false;
  }
  reset();
}

void Base::reset() {
  mouseLine = _line<3, float>();
  mainViewport = &viewports[VP_FULL];
  camSpeed = 1.0f;
  camRot = 3.0f;
  camZoom = 0.5f;
  camKeys = true;
  loopFunc = nullptr;
  loopCallback = nullptr;
}

void Base::setScene(Scene* scene) {
  for (View& v : views) v.scene = scene;
}

void Base::loop(LoopCallback* callback) {
  loopCallback = callback;
  sys.loop(base_loopCallback);
}

void Base::loop(void (*func)()) {
  loopFunc = func;
  sys.loop(base_loopCallback);
}
