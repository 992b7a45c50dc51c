// ShaderTestModule's map loaders: each loads through the scene's maps, then
// shows the maps in the panel, rebuilds where the heights changed sampler and
// waits for the maps the shown set reads.
#include <functional>

#include "ShaderGui.h"
#include "ShaderScene.h"

void ShaderTestModule::refreshBumpMap() {
  syncSettings();
  scene.refreshNormalMap();
  // Regeneration may hand the normal map a new GL name: keep the panel's
  // display showing the current one.
  mapsShown();
}

void ShaderTestModule::loadMap(std::function<bool()> const& load) {
  syncSettings();
  load();
  mapsShown();
}

void ShaderTestModule::mapsShown() {
  updatePanelTextures();
  showBuildState();  // the programs are rebuilt when the heights change sampler
  waitForMaps();
}

void ShaderTestModule::loadColorMap(char const* filename) {
  loadMap([&] { return scene.loadColorMap(filename); });
}

void ShaderTestModule::loadBumpMap(char const* filename) {
  loadMap([&] { return scene.loadBumpMap(filename); });
}

void ShaderTestModule::loadHeightMap(char const* filename, bool invert) {
  loadMap([&] { return scene.loadHeightMap(filename, invert); });
}

void ShaderTestModule::loadNormalMap(char const* filename, bool flipGreen) {
  loadMap([&] { return scene.loadNormalMap(filename, flipGreen); });
}
