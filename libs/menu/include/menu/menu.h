// The GUI toolkit's public interface: the widget base, the menu system, the
// drawing primitives and every widget.
#pragma once

#include "menu/checkbox.h"
#include "menu/closebutton.h"
#include "menu/draw.h"
#include "menu/menuroot.h"
#include "menu/menusystem.h"
#include "menu/mouseevent.h"
#include "menu/object.h"
#include "menu/radio.h"
#include "menu/radiogroup.h"
#include "menu/resizelistener.h"
#include "menu/text.h"
#include "menu/textfield.h"
#include "menu/window.h"
