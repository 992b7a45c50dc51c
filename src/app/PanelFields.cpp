// PanelFields: finding the panel and applying a field's text.
#include "PanelFields.h"

#include "ShaderGui.h"
#include "ShaderScene.h"
#include "base/console.h"

ShaderGui* panelFor(char const* command) {
  ShaderGui* gui = shaderTestModule.getGui();
  if (!gui) con << command << ": the panel is not running\n";
  return gui;
}

void applyField(ShaderGui& gui, pwn::TextField* field, std::string const& text) {
  if (!field) return;
  field->setText(text);
  gui.callback_onTextChange(field);
}
