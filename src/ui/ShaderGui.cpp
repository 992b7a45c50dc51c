// ShaderGui: building the panel, the macro string, the status lines and the
// widget callbacks with their checks of what the user typed.
#include "ShaderGui.h"

#include <GL/gl.h>

#include <iostream>

#include "Techniques.h"
#include "base/console.h"
#include "base/exception.h"
#include "math/assert.h"
#include "menu/menusystem.h"
#include "system/display.h"

namespace {

// A label at y and a text field under it with the panel as its listener,
// under the root; y moves on to where the next label goes.
pwn::TextField* addField(ShaderGui* gui, pwn::Object* root, float& y, char const* label, std::string const& text) {
  root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), label));
  y = y + 1.1f;
  pwn::TextField* field = new pwn::TextField(pwn::Vec2(1.0f, y), 10.0f);
  field->addTextListener(gui);
  field->setText(text);
  root->addChild(field);
  y = y + 2.1f;
  return field;
}

unsigned const errorRed = 0xFF3030FFu;

std::vector<char const*> techniqueStrings(char const* Techniques::Info::*field) {
  std::vector<char const*> out;
  for (int i = 0; i < Techniques::count; ++i) out.push_back(Techniques::table[i].*field);
  return out;
}

// Says a refusal or a cap on the console.
void say(std::string const& message) {
  if (!message.empty()) con << message << "\n";
}

}  // namespace

std::vector<char const*> const ShaderGui::preprocMacros = techniqueStrings(&Techniques::Info::macro);
std::vector<char const*> const ShaderGui::preprocNames = techniqueStrings(&Techniques::Info::label);

ShaderGui::ShaderTexDisplay::ShaderTexDisplay(pwn::Vec2 const& pos)
    : pwn::Object(pos, pwn::Vec2(4.0f, 4.0f)) {
  backgroundColor = 0xFFFFFFFFu;
}

bool ShaderGui::ShaderTexDisplay::display() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_BLEND);
  bool const result = pwn::Object::display();
  glPopAttrib();
  return result;
}

ShaderGui::ShaderGui(ShaderScene_Gui_Comm* c) : comm(c), settingTechniques(false) { reset(); }

ShaderGui::~ShaderGui() { destroy(); }

void ShaderGui::reset() {
  ReliefSettings const defaults;
  techniqueFlags = static_cast<int>(defaults.set);
  iterativeSteps = defaults.steps;
  refineSteps = defaults.refineSteps;
  bumpHeight = defaults.bumpHeight;
  polyThickness = defaults.polyThickness;
  dropWidgets();
}

ReliefSettings ShaderGui::settings() const {
  ReliefSettings s;
  s.set = static_cast<unsigned>(techniqueFlags);
  s.steps = iterativeSteps;
  s.refineSteps = refineSteps;
  s.polyThickness = polyThickness;
  s.bumpHeight = bumpHeight;
  return s;
}

void ShaderGui::dropWidgets() {
  checkboxes.clear();
  iterationStepsField = nullptr;
  refineStepsField = nullptr;
  polyDepthField = nullptr;
  bumpScaleField = nullptr;
  colorTex = nullptr;
  bumpTex = nullptr;
  statusLine = nullptr;
  errorLine = nullptr;
}

void ShaderGui::buildPreprocMacroString() {
  macroStream.str(Techniques::macroString(static_cast<unsigned>(techniqueFlags), iterativeSteps, refineSteps));
  macroStream.clear();
  comm->regenFragmentShader();
}

void ShaderGui::setTechniques(unsigned set) {
  settingTechniques = true;
  for (size_t i = 0; i < checkboxes.size(); ++i) checkboxes[i]->setChecked((set >> i) & 1u);
  settingTechniques = false;
  techniqueFlags = static_cast<int>(set);
  buildPreprocMacroString();
}

bool ShaderGui::init() {
  try {
    pwn::menuSys->init();
    pwn::Object* root = pwn::menuSys->getRoot();
    root->setScale(pwn::Vec2(12.0f, 12.0f));

    ASSERT(!checkboxes.size());
    float y = 1.0f;
    for (int i = 0; i < Techniques::count; ++i) {
      checkboxes.push_back(gc::GlobalPointer<pwn::Checkbox>(
          new pwn::Checkbox(pwn::Vec2(1.0f, y), preprocNames[static_cast<size_t>(i)], false)));
      pwn::Checkbox* box = checkboxes.back().get();
      box->addCheckboxListener(this);
      root->addChild(box);
      y = y + 1.1f;
    }

    y = y + 1.1f;
    iterationStepsField = addField(this, root, y, "Iteration Steps:", std::to_string(iterativeSteps));
    refineStepsField = addField(this, root, y, "Refine Steps:", std::to_string(refineSteps));
    polyDepthField = addField(this, root, y, "Poly Depth:", ReliefSettings::format(polyThickness));
    bumpScaleField = addField(this, root, y, "Bumpmap Scale:", ReliefSettings::format(bumpHeight));
    colorTex = new ShaderTexDisplay(pwn::Vec2(2.0f, y));
    root->addChild(colorTex.get());
    bumpTex = new ShaderTexDisplay(pwn::Vec2(9.6f, y));
    root->addChild(bumpTex.get());

    y = y + 5.0f;
    statusLine = new pwn::Text(pwn::Vec2(1.0f, y), "");
    statusLine->size = pwn::Vec2(22.0f, 1.0f);
    root->addChild(statusLine.get());
    y = y + 1.1f;
    errorLine = new pwn::Text(pwn::Vec2(1.0f, y), "shader error: see console");
    errorLine->setFontColor(errorRed);
    errorLine->visible = false;
    root->addChild(errorLine.get());
  } catch (Exception const& e) {
    std::cout << "ShaderGui " << e << " failed!" << std::endl;
    return false;
  }
  return true;
}

void ShaderGui::destroy() {
  // The widgets become garbage for the next collection.
  dropWidgets();
  pwn::menuSys->shutdown();
  reset();
}

void ShaderGui::display() {
  // The panel lies over the whole window at its own scale, where its clicks are
  // tested, whichever viewport (a quarter, in the four-view layout) is current.
  glPushAttrib(GL_VIEWPORT_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT);
  _vec<2, int> const& win = disp.getSize();
  glViewport(0, 0, win.x, win.y);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  pwn::menuSys->display();
  glPopAttrib();
}

void ShaderGui::updateTextureIDs(int colorID, int bumpID) {
  ASSERT(colorTex && bumpTex);
  colorTex->setTextureID(colorID);
  bumpTex->setTextureID(bumpID);
}

void ShaderGui::setStatus(std::string const& text) {
  if (statusLine.get()) statusLine->setText(text);
}

void ShaderGui::showShaderError(bool on) {
  if (errorLine.get()) errorLine->visible = on;
}

bool ShaderGui::showsShaderError() const { return errorLine.get() && errorLine->visible; }

void ShaderGui::callback_onSetChecked(pwn::Checkbox* box, bool checked) {
  if (settingTechniques) return;
  for (size_t i = 0; i < checkboxes.size(); ++i) {
    if (checkboxes[i].get() == box) {
      if (checked)
        techniqueFlags |= 1 << i;
      else
        techniqueFlags &= ~(1 << i);
      buildPreprocMacroString();
    }
  }
}

void ShaderGui::callback_onTextChange(pwn::TextField* field) {
  std::string const text = field->getText();
  std::string message;
  if (field == iterationStepsField.get() || field == refineStepsField.get()) {
    bool const search = field == iterationStepsField.get();
    int& count = search ? iterativeSteps : refineSteps;
    bool const taken = (search ? ReliefSettings::takeSteps : ReliefSettings::takeRefineSteps)(text, count, count, message);
    say(message);
    if (taken) buildPreprocMacroString();
    field->setText(std::to_string(count));
  } else if (field == polyDepthField.get() || field == bumpScaleField.get()) {
    bool const depth = field == polyDepthField.get();
    float& value = depth ? polyThickness : bumpHeight;
    bool const taken = (depth ? ReliefSettings::takePolyDepth : ReliefSettings::takeBumpScale)(text, value, value, message);
    say(message);
    if (taken) {
      std::cout << (depth ? " polyThickness = " : " bumpHeight = ") << static_cast<double>(value) << std::endl;
      if (depth)
        comm->resetFragmentShaderUniforms();
      else
        comm->refreshBumpMap();
    }
    field->setText(ReliefSettings::format(value));
  }
}
