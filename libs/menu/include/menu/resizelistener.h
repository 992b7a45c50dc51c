// pwn::ResizeListener: the interface told when a widget's size has changed.
#pragma once

namespace pwn {

class Object;

class ResizeListener {
public:
  virtual void onResize(Object* resized) = 0;

protected:
  ~ResizeListener() = default;
};

}  // namespace pwn
