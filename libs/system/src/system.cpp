// The system front object `sys`: forwards every call to the bound backend.
#include "system/system.h"

#include "math/assert.h"

ISystem sys;

void ISystem::init() {
  ASSERT(imp);
  imp->init();
}

void ISystem::shutdown() {
  ASSERT(imp);
  imp->shutdown();
}

void ISystem::loop(void (*frame)()) {
  ASSERT(imp);
  imp->loop(frame);
}

void ISystem::requestExit() {
  ASSERT(imp);
  imp->requestExit();
}

void ISystem::setInitDoubleBuffered(bool doubleBuffered) {
  ASSERT(imp);
  imp->setInitDoubleBuffered(doubleBuffered);
}

void ISystem::setInitPos(_vec<2, int> const& pos) {
  ASSERT(imp);
  imp->setInitPos(pos);
}

void ISystem::setInitSize(_vec<2, int> const& size) {
  ASSERT(imp);
  imp->setInitSize(size);
}

bool ISystem::isCatchingUp() const {
  ASSERT(imp);
  return imp->isCatchingUp();
}

std::string ISystem::getArg(int i) const {
  ASSERT(imp);
  return imp->getArg(i);
}

int ISystem::getArgCount() const {
  ASSERT(imp);
  return imp->getArgCount();
}
