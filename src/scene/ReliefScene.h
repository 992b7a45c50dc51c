// ReliefScene: what the bench draws. The mesh (the sphere, a plane or a mesh
// file's), the light, the crossing plane and the draws of the main view into
// the window or an offscreen target, with the settings they are drawn with,
// the maps (SceneMaps) and the programs (ScenePrograms).
#pragma once

#include <memory>
#include <string>

#include "GpuTimer.h"
#include "Model3D.h"
#include "ReliefSettings.h"
#include "SceneMaps.h"
#include "ScenePrograms.h"
#include "math/vec.h"

class OffscreenTarget;
class ReliefProgram;
class View;
class Viewport;

// The width and height of a viewport's rectangle (0 x 0 for none).
_vec<2, int> viewportSize(Viewport const* viewport);

class ReliefScene {
public:
  static _vec<4, float> const initialLightPos;

  ReliefScene();
  ~ReliefScene();
  ReliefScene(ReliefScene const&) = delete;
  ReliefScene& operator=(ReliefScene const&) = delete;

  // Builds the sphere, loads the bundled maps and reads the bundled shader
  // files. Throws an Exception when a shader file is missing or empty.
  void init();
  // Releases every GL object and puts the light back.
  void shutdown();

  ReliefSettings const& settings() const { return current; }
  void setSettings(ReliefSettings const& s) { current = s; }

  SceneMaps& maps() { return sceneMaps; }
  SceneMaps const& maps() const { return sceneMaps; }
  ScenePrograms& programs() { return scenePrograms; }
  ScenePrograms const& programs() const { return scenePrograms; }

  // The loaders of SceneMaps at the settings' scale, the programs following
  // the new maps; each false, saying why, when the file does not load.
  bool loadColorMap(std::string const& filename) { return sceneMaps.loadColorMap(filename); }
  bool loadBumpMap(std::string const& filename);
  bool loadHeightMap(std::string const& filename);
  bool loadNormalMap(std::string const& filename);
  // Regenerates the normal map at the settings' scale (SceneMaps::refreshNormalMap).
  void refreshNormalMap();
  // SceneMaps::useHeights and restoreMaps, the programs following.
  bool useHeights(HeightField const& field, std::string& error);
  void restoreMaps();

  // Draws the mesh with `prog` (null: the main program) under the current
  // matrices, its GPU time measured when `timed`.
  void drawMesh(ReliefProgram* prog, bool timed);
  // One viewport's part of a window frame: the light marker and the mesh
  // (both halves of the wipe, or the blinking set, unless `plain`), and the
  // crossing plane when shown.
  void drawView(Viewport const* viewport, bool plain, double now);
  // The wipe's line and labels over every shown viewport.
  void drawCompareOverlay(std::string const& labelA, double now) const;
  // Draws `view` lit from `light` with `prog` into `target`, without the light
  // marker, the crossing plane or the panel, leaving the GL state as it was. A
  // `transparent` target is cleared to (0, 0, 0, 0), else to the clear colour;
  // `levelZero` reads the normal and height maps at their full size however
  // far the view is (as the reference does).
  void drawViewInto(View const& view, _vec<4, float> const& light, OffscreenTarget& target, ReliefProgram* prog,
                    bool transparent, bool levelZero);

  // The mesh that is drawn and measured: "sphere" (the start-up mesh),
  // "plane", or the path of the mesh file it was loaded from.
  std::string const& meshName() const { return meshLabel; }
  void useSphere();
  void usePlane();
  // Replaces the mesh with one read from a mesh file (MeshFile::load,
  // MeshLoader), named by the file's path.
  void useMesh(Model3D&& loaded, std::string const& path);
  Model3D const& currentMesh() const { return mesh; }
  // A grey square in the plane x = -z, across the mesh, drawn in the window's
  // views with the fixed-function pipeline (never in measurements): where it
  // meets the relief shows the depth the relief program writes.
  void showCrossingPlane(bool on) { crossingPlane = on; }
  bool crossingPlaneShown() const { return crossingPlane; }

  _vec<4, float>& light() { return lightPos; }
  _vec<4, float> const& light() const { return lightPos; }
  // Moves the light by a mouse drag of `move` pixels in `viewport`: parallel to
  // the screen, or along the viewing direction when `alongView`.
  void dragLight(Viewport const& viewport, _vec<2, int> pointer, _vec<2, int> move, bool alongView);

  GpuTimer& gpuTimer() { return timer; }
  GpuTimer const& gpuTimer() const { return timer; }

private:
  // The heights moved between the normal map's alpha and a map of their own,
  // or not: the programs follow.
  void heightsReplaced(bool wereSeparate);

  ReliefSettings current;
  SceneMaps sceneMaps;
  ScenePrograms scenePrograms;
  _vec<4, float> lightPos;
  Model3D mesh;
  std::string meshLabel = "sphere";
  bool crossingPlane = false;
  GpuTimer timer;
};
