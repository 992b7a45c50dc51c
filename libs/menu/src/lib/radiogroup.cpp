// pwn::RadioGroup: clearing every radio but one.
#include "menu/radiogroup.h"

#include "menu/radio.h"

namespace pwn {

void RadioGroup::clearAllExcept(Radio* radio) {
  for (std::size_t i = 0; i < radios.size(); ++i) {
    Radio* r = radios[i].get();
    if (r && r != radio) r->setChecked(false);
  }
}

}  // namespace pwn
