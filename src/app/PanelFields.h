// PanelFields: the panel as the console commands reach it, so that a command
// that sets a number goes through the field the panel shows, with its checks
// and messages.
#pragma once

#include <string>

class ShaderGui;
namespace pwn {
class TextField;
}

// The running panel, or null after saying that `command` needs it.
ShaderGui* panelFor(char const* command);
// Puts `text` into `field` and applies it as leaving the field would.
void applyField(ShaderGui& gui, pwn::TextField* field, std::string const& text);
