// ShaderGui: the technique panel. Six checkboxes choose the techniques compiled
// into the fragment shader, three fields set the iteration count, polygon depth
// and bump scale, and two displays show the colour and normal maps.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "ShaderSceneComm.h"
#include "gc/gc.h"
#include "menu/checkbox.h"
#include "menu/object.h"
#include "menu/textfield.h"

class ShaderGui final : public pwn::TextListener, public pwn::CheckboxListener {
public:
  // A square that shows one texture, drawn without blending so that the
  // texture's alpha (the height, for the normal map) does not show through.
  class ShaderTexDisplay : public pwn::Object {
  public:
    explicit ShaderTexDisplay(pwn::Vec2 const& pos);
    bool display() override;
  };

  static int const numTechniques = 6;
  static char const* const preprocMacros[numTechniques];
  static char const* const preprocNames[numTechniques];

  explicit ShaderGui(ShaderScene_Gui_Comm* comm);
  ~ShaderGui();

  // Default values, no widgets. The macro string is kept.
  void reset();
  bool init();
  void destroy();
  void display();

  // Rebuilds the macro string from the checked techniques and the iteration
  // count, then asks the scene to rebuild the fragment shader.
  void buildPreprocMacroString();
  // The current macro string; empty until the first change.
  std::string macroString() const { return macroStream.str(); }

  void updateTextureIDs(int colorID, int bumpID);
  bool hasTextureDisplays() const { return colorTex.get() && bumpTex.get(); }

  void callback_onTextChange(pwn::TextField* field) override;
  void callback_onSetChecked(pwn::Checkbox* box, bool checked) override;

  // Index of the technique with this macro name or label (case and spaces
  // ignored), or -1.
  static int findTechnique(std::string const& name);

private:
  // Lets go of every widget reference.
  void dropWidgets();

public:

  ShaderScene_Gui_Comm* comm;
  std::stringstream macroStream;
  int techniqueFlags;
  int iterativeSteps;
  float bumpHeight;
  float polyThickness;
  std::vector<gc::GlobalPointer<pwn::Checkbox> > checkboxes;
  gc::GlobalPointer<pwn::TextField> iterationStepsField;
  gc::GlobalPointer<pwn::TextField> polyDepthField;
  gc::GlobalPointer<pwn::TextField> bumpScaleField;
  gc::GlobalPointer<ShaderTexDisplay> colorTex;
  gc::GlobalPointer<ShaderTexDisplay> bumpTex;
};

extern ShaderGui* mainGui;
