// ShaderGui: building the panel, the macro string and the widget callbacks.
#include "ShaderGui.h"

#include <GL/gl.h>

#include <cctype>
#include <cstdlib>
#include <iostream>

#include "base/exception.h"
#include "math/assert.h"
#include "menu/menusystem.h"
#include "menu/text.h"

ShaderGui* mainGui = nullptr;

char const* const ShaderGui::preprocMacros[numTechniques] = {
    "PARALLAX", "OFFSET_LIMITING_EYE", "ITERATIVE", "ITERATIVE_LERP", "SHADOW_TRACE",
    "OFFSET_LIMITING_LIGHT"};
char const* const ShaderGui::preprocNames[numTechniques] = {
    "Parallax", "Offset Limit Eye", "Iterative", "Iterative LERP", "Shadow Trace",
    "Offset Limit Light"};

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

ShaderGui::ShaderGui(ShaderScene_Gui_Comm* c) : comm(c) { reset(); }

ShaderGui::~ShaderGui() { destroy(); }

void ShaderGui::reset() {
  techniqueFlags = 0;
  iterativeSteps = 32;
  bumpHeight = 100.0f;
  polyThickness = 0.5f;
  dropWidgets();
}

void ShaderGui::dropWidgets() {
  checkboxes.clear();
  iterationStepsField = nullptr;
  polyDepthField = nullptr;
  bumpScaleField = nullptr;
  colorTex = nullptr;
  bumpTex = nullptr;
}

void ShaderGui::buildPreprocMacroString() {
  macroStream.str(std::string());
  macroStream.clear();
  for (int i = 0; i < numTechniques; ++i)
    if (techniqueFlags & (1 << i)) macroStream << "#define " << preprocMacros[i] << "\n";
  macroStream << "#define ITERATIVE_STEPS\t" << iterativeSteps << ".0\n";
  comm->regenFragmentShader();
}

namespace {

// A label, a text field and the panel as its listener, under the root.
pwn::TextField* addField(ShaderGui* gui, pwn::Object* root, float y, std::string const& text) {
  pwn::TextField* field = new pwn::TextField(pwn::Vec2(1.0f, y), 10.0f);
  if (!field) throw Exception() << " couldnt create input textfield";
  field->addTextListener(gui);
  field->setText(text);
  root->addChild(field);
  return field;
}

std::string defaultFormat(double v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

}  // namespace

bool ShaderGui::init() {
  mainGui = this;
  try {
    pwn::menuSys->init();
    pwn::Object* root = pwn::menuSys->getRoot();
    root->setScale(pwn::Vec2(12.0f, 12.0f));

    ASSERT(!checkboxes.size());
    float y = 1.0f;
    for (int i = 0; i < numTechniques; ++i) {
      checkboxes.push_back(gc::GlobalPointer<pwn::Checkbox>(
          new pwn::Checkbox(pwn::Vec2(1.0f, y), preprocNames[i], false)));
      pwn::Checkbox* box = checkboxes.back().get();
      if (!box) throw Exception() << " couldnt create checkbox " << preprocNames[i];
      box->addCheckboxListener(this);
      root->addChild(box);
      y = y + 1.1f;
    }

    y = y + 1.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Iteration Steps:"));
    y = y + 1.1f;
    iterationStepsField = addField(this, root, y, std::to_string(iterativeSteps));

    y = y + 2.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Poly Depth:"));
    y = y + 1.1f;
    polyDepthField = addField(this, root, y, defaultFormat(polyThickness));

    y = y + 2.1f;
    root->addChild(new pwn::Text(pwn::Vec2(1.0f, y), "Bumpmap Scale:"));
    y = y + 1.1f;
    bumpScaleField = addField(this, root, y, defaultFormat(bumpHeight));

    y = y + 2.1f;
    colorTex = new ShaderTexDisplay(pwn::Vec2(2.0f, y));
    if (!colorTex.get()) throw Exception() << "couldn't create colorTex";
    root->addChild(colorTex.get());
    bumpTex = new ShaderTexDisplay(pwn::Vec2(9.6f, y));
    if (!bumpTex.get()) throw Exception() << "couldn't create bumpTex";
    root->addChild(bumpTex.get());
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
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  pwn::menuSys->display();
}

void ShaderGui::updateTextureIDs(int colorID, int bumpID) {
  ASSERT(colorTex && bumpTex);
  colorTex->setTextureID(colorID);
  bumpTex->setTextureID(bumpID);
}

void ShaderGui::callback_onSetChecked(pwn::Checkbox* box, bool checked) {
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
  if (field == iterationStepsField.get()) {
    int const n = std::atoi(text.c_str());
    if (n > 0) {
      iterativeSteps = n;
      buildPreprocMacroString();
    }
  } else if (field == polyDepthField.get()) {
    polyThickness = static_cast<float>(std::atof(text.c_str()));
    std::cout << " polyThickness = " << static_cast<double>(polyThickness) << std::endl;
    comm->resetFragmentShaderUniforms();
  } else if (field == bumpScaleField.get()) {
    bumpHeight = static_cast<float>(std::atof(text.c_str()));
    std::cout << " bumpHeight = " << static_cast<double>(bumpHeight) << std::endl;
    comm->refreshBumpMap();
  }
}

int ShaderGui::findTechnique(std::string const& name) {
  auto squash = [](std::string const& s) {
    std::string out;
    for (char c : s)
      if (c != ' ' && c != '_' && c != '"') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  std::string const wanted = squash(name);
  for (int i = 0; i < numTechniques; ++i)
    if (wanted == squash(preprocMacros[i]) || wanted == squash(preprocNames[i])) return i;
  return -1;
}
