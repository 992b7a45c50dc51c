// The menu system's globals, constructed in this order: the "menuCount"
// variable, the font table, the menu system and the interface pointer to it.
#include "menu/draw.h"
#include "menu/menusystem.h"

namespace pwn {

_cvar<int> menuCount("menuCount");
FontTable fontTex;
MenuSystem g_menuSys;
IMenuSystem* const menuSys = &g_menuSys;

}  // namespace pwn
