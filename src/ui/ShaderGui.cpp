// ShaderGui: building the panel, the macro string, the status lines and the
// widget callbacks with their checks of what the user typed.
#include "ShaderGui.h"

#include <GL/gl.h>

#include <cmath>
#include <iostream>

#include "Techniques.h"
#include "base/console.h"
#include "base/exception.h"
#include "base/parsenumber.h"
#include "math/assert.h"
#include "menu/menusystem.h"
#include "system/display.h"

namespace {

// A label, a text field and the panel as its listener, under the root.
pwn::TextField* addField(ShaderGui* gui, pwn::Object* root, float y, std::string const& text) {
  pwn::TextField* field = new pwn::TextField(pwn::Vec2(1.0f, y), 10.0f);
  field->addTextListener(gui);
  field->setText(text);
  root->addChild(field);
  return field;
}

std::string format(double v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

unsigned const errorRed = 0xFF3030FFu;

}  // namespace

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
  techniqueFlags = 0;
  iterativeSteps = 32;
  refineSteps = 6;
  bumpHeight = 100.0f;
  polyThickness = 0.5f;
  dropWidgets();
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
          new pwn::Checkbox(pwn::Vec2(1.0f, y), Techniques::table[i].label, false)));
      pwn::Checkbox* box = checkboxes.back().get();
      box->addCheckboxListener(this);
      root->addChild(box);
      y = y + 1.1f;
    }

    y = y + 1.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Iteration Steps:"));
    y = y + 1.1f;
    iterationStepsField = addField(this, root, y, std::to_string(iterativeSteps));

    y = y + 2.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Refine Steps:"));
    y = y + 1.1f;
    refineStepsField = addField(this, root, y, std::to_string(refineSteps));

    y = y + 2.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Poly Depth:"));
    y = y + 1.1f;
    polyDepthField = addField(this, root, y, format(polyThickness));

    y = y + 2.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Bumpmap Scale:"));
    y = y + 1.1f;
    bumpScaleField = addField(this, root, y, format(bumpHeight));

    y = y + 2.1f;
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
  double value = 0;
  bool const isNumber = parseFiniteDouble(text.c_str(), value);
  if (field == iterationStepsField.get() || field == refineStepsField.get()) {
    bool const search = field == iterationStepsField.get();
    char const* const name = search ? "Iteration Steps" : "Refine Steps";
    int& count = search ? iterativeSteps : refineSteps;
    int const low = search ? minSteps : 0, high = search ? maxSteps : maxRefineSteps;
    if (!isNumber || value != std::floor(value)) {
      con << name << ": \"" << text << "\" is not a whole number; keeping " << count << "\n";
    } else {
      int const clamped = value < low ? low : value > high ? high : static_cast<int>(value);
      if (clamped != value)
        con << name << ": " << text << " is outside " << low << " to " << high << "; using " << clamped << "\n";
      count = clamped;
      buildPreprocMacroString();
    }
    field->setText(std::to_string(count));
  } else if (field == polyDepthField.get()) {
    if (takeSetting("Poly Depth", " polyThickness = ", text, isNumber, value, maxPolyDepth, polyThickness))
      comm->resetFragmentShaderUniforms();
    field->setText(format(polyThickness));
  } else if (field == bumpScaleField.get()) {
    if (takeSetting("Bumpmap Scale", " bumpHeight = ", text, isNumber, value, maxBumpScale, bumpHeight))
      comm->refreshBumpMap();
    field->setText(format(bumpHeight));
  }
}

bool ShaderGui::takeSetting(char const* name, char const* echo, std::string const& text, bool isNumber, double value,
                            double high, float& setting) {
  if (!isNumber) {
    con << name << ": \"" << text << "\" is not a number; keeping " << format(setting) << "\n";
    return false;
  }
  if (value < 0 || value > high) {
    con << name << ": " << text << " is outside 0 to " << format(high) << "; keeping " << format(setting) << "\n";
    return false;
  }
  setting = static_cast<float>(value);
  std::cout << echo << static_cast<double>(setting) << std::endl;
  return true;
}
