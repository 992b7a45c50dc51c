// ShaderTestModule: the test bench application. It lights and draws a textured
// tangent-space sphere with the relief-shading program, lets the light be
// dragged, and owns the technique panel that rebuilds the fragment shader.
#pragma once

#include <GL/gl.h>

#include <string>
#include <vector>

#include "Model3D.h"
#include "ShaderSceneComm.h"
#include "base/basemodule.h"
#include "base/texture.h"
#include "math/vec.h"
#include "shader/shader.h"
#include "shader/shaderprogram.h"

class ShaderGui;

class ShaderTestModule : public BaseModule, public ShaderScene_Gui_Comm {
public:
  ShaderTestModule();
  ~ShaderTestModule();

  void render(Viewport const* viewport, View const* view) override;
  void init() override;
  void shutdown() override;
  void update() override;
  void resetFragmentShaderUniforms() override;
  void regenFragmentShader() override;
  void loadColorMap(char const* filename) override;
  void loadBumpMap(char const* filename) override;
  void refreshBumpMap() override;

  // The panel, for the bench's console commands; null outside init/shutdown.
  ShaderGui* getGui() const { return gui; }
  // Asks for the window to be written to a PNG file once the current frame is drawn.
  void requestScreenshot(std::string const& filename);
  // Frames drawn since init.
  long framesDrawn() const { return frameCount; }

  static _vec<4, float> const initialLightPos;

  TemplateShader<GL_VERTEX_SHADER> vertShader;
  TemplateShader<GL_FRAGMENT_SHADER> fragShader;
  std::string fragSource;
  ShaderProgram program;
  ShaderGui* gui;
  _vec<4, float> lightPos;
  Texture colorTexture;
  Texture bumpTexture;
  Texture normalTexture;
  Model3D mesh;

private:
  void buildSphere();
  void parseArguments();
  void runStartupLines();
  void takeScreenshot();
  static bool pressLandedOnPanel();

  std::vector<std::string> execLines;  // --exec lines, run at the first frame
  long frameLimit;                     // --frames: quit after this many frames (0: never)
  long frameCount;
  std::string screenshotFile;          // pending screenshot, empty when none
  bool pressOnPanel;                   // the held primary button went down on the panel
};

extern ShaderTestModule shaderTestModule;
