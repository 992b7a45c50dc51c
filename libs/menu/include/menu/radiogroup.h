// pwn::RadioGroup: the collected set of radios that exclude one another.
#pragma once

#include <vector>

#include "gc/gc.h"

namespace pwn {

class Radio;

class RadioGroup : public gc::Object {
public:
  RadioGroup() {}
  // Unchecks every radio other than `radio`, in order of construction.
  void clearAllExcept(Radio* radio);

  std::vector<gc::Pointer<Radio>> radios;
};

}  // namespace pwn
