// ShaderGui: the technique panel. A checkbox per technique chooses what is
// compiled into the fragment shader, four fields set the iteration count,
// the bisection count, polygon depth and bump scale, two displays show the colour and normal maps,
// and two status lines show the frame's cost and a failed shader build.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "ReliefSettings.h"
#include "ShaderSceneComm.h"
#include "gc/gc.h"
#include "menu/checkbox.h"
#include "menu/object.h"
#include "menu/text.h"
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

  // The techniques' macro names and checkbox labels, index = technique, as
  // the relief layer's table (Techniques::table) writes them.
  static std::vector<char const*> const preprocMacros;
  static std::vector<char const*> const preprocNames;

  explicit ShaderGui(ShaderScene_Gui_Comm* comm);
  ~ShaderGui();

  // Default values, no widgets. The macro string is kept.
  void reset();
  bool init();
  void destroy();
  // Draws the panel over the whole window, whatever viewport is current.
  void display();

  // Rebuilds the macro string from the checked techniques and the iteration
  // count, then asks the scene to rebuild the fragment shader.
  void buildPreprocMacroString();
  // The current macro string; empty until the first change.
  std::string macroString() const { return macroStream.str(); }
  // The values the fields hold and the checked set, as the scene and the
  // measurements take them.
  ReliefSettings settings() const;

  // Checks exactly the techniques of `set` (bit i: technique i) and rebuilds
  // once; the checkboxes' listeners stay quiet meanwhile.
  void setTechniques(unsigned set);

  void updateTextureIDs(int colorID, int bumpID);
  bool hasTextureDisplays() const { return colorTex.get() && bumpTex.get(); }

  // The cost line under the fields; the red error line below it, shown while
  // the last shader build failed.
  void setStatus(std::string const& text);
  void showShaderError(bool on);
  bool showsShaderError() const;

  void callback_onTextChange(pwn::TextField* field) override;
  void callback_onSetChecked(pwn::Checkbox* box, bool checked) override;

private:
  // Lets go of every widget reference.
  void dropWidgets();

public:
  ShaderScene_Gui_Comm* comm;
  std::stringstream macroStream;
  int techniqueFlags;
  int iterativeSteps;
  int refineSteps;  // bisection steps of BINARY_REFINE and RELAXED_CONE
  float bumpHeight;
  float polyThickness;
  std::vector<gc::GlobalPointer<pwn::Checkbox> > checkboxes;
  gc::GlobalPointer<pwn::TextField> iterationStepsField;
  gc::GlobalPointer<pwn::TextField> refineStepsField;
  gc::GlobalPointer<pwn::TextField> polyDepthField;
  gc::GlobalPointer<pwn::TextField> bumpScaleField;
  gc::GlobalPointer<ShaderTexDisplay> colorTex;
  gc::GlobalPointer<ShaderTexDisplay> bumpTex;
  gc::GlobalPointer<pwn::Text> statusLine;
  gc::GlobalPointer<pwn::Text> errorLine;

private:
  bool settingTechniques;
};
