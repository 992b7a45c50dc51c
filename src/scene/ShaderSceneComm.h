// ShaderScene_Gui_Comm: what the technique panel may ask of the scene.
#pragma once

class ShaderScene_Gui_Comm {
public:
  virtual void resetFragmentShaderUniforms() = 0;
  virtual void regenFragmentShader() = 0;
  virtual void refreshBumpMap() = 0;
  virtual void loadColorMap(char const* filename) = 0;
  virtual void loadBumpMap(char const* filename) = 0;

protected:
  ~ShaderScene_Gui_Comm() = default;
};
