// ShaderSystem: marks the shader-object extensions as present.
#pragma once

class ShaderSystem {
public:
  // Sets the three shader extension flags; always true.
  bool init();
};

extern ShaderSystem shaderSystem;
