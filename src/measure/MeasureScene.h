// MeasureScene: all that a measurement may ask of the scene it measures. It
// draws the snapshot's view with a technique set offscreen and hands back what
// the pass read out (the vertex stage's inputs, the hits, the colours, the
// depths), times those draws, reads and replaces the heights and describes the
// view. It never shows the window's panel, nor any GL object, so that a
// stand-in can run the jobs without a window.
#pragma once

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FidelityTruth.h"
#include "Flip.h"
#include "HeightField.h"
#include "ReliefSettings.h"
#include "ReliefTracer.h"
#include "ShaderFile.h"
#include "base/view.h"
#include "math/vec.h"

class Picture;

class MeasureScene {
public:
  // Everything a measurement's figures depend on, taken when it starts; every
  // pass of the measurement draws from it, whatever the window does meanwhile.
  struct Snapshot {
    ReliefSettings settings;
    View view;                  // the main camera
    int width = 0, height = 0;  // the main view's size in pixels
    _vec<4, float> light;
    ShaderText vert, frag;
    std::string description;  // "WxH view, GL renderer NAME"
    // The viewer of the image figures, in pixels per degree of visual angle.
    float flipPpd = Flip::kDefaultPixelsPerDegree;
    // Where the figures come from, for the tables' context lines: the bench's
    // version, the GL renderer, and each map's file with its size and bit
    // depth ("generated" for a normal map made from the heights).
    std::string version, renderer;
    std::string colorMap, heightMap, normalMap;
    // The truth the fidelity figures are against (the fidelityTruth
    // variable), and with the displaced one the mesh as drawn (shared: the
    // snapshot is copied by every job that keeps one).
    FidelityTruth truth = FidelityTruth::Plane;
    std::shared_ptr<DrawnMesh const> mesh;
  };

  // One draw of the snapshot's view: a technique set at a step count, built
  // from the snapshot's shader texts behind the set's macros and `extraMacros`
  // at the snapshot's depth, with the scene's maps. A set that bisects does
  // `refineSteps` bisections, the snapshot's count where that is negative.
  struct Draw {
    unsigned set = 0;
    int steps = 0;
    std::string extraMacros;
    int refineSteps = -1;
  };

  // The vertex stage's outputs at each pixel the mesh covers, as the
  // fragment stage receives them: a capture pass of the snapshot's vertex
  // shader.
  struct Capture {
    int width = 0, height = 0;
    std::vector<TraceInput> inputs;
    std::vector<int> pixelOf;  // the view pixel of each input, rows bottom first
  };

  // What WRITE_DEPTH's figures need per view pixel (rows bottom first): the
  // polygon's eye-space point (RGBA, w = 1 where the mesh was drawn), the
  // eye-space distance along the eye ray per unit of relief depth (R of
  // RGBA, over the depth polyThickness * 0.2 still to be multiplied in), and
  // the projection the passes drew with (column by column), to take window
  // depths back to eye space.
  struct DepthCapture {
    std::vector<float> position;
    std::vector<float> scale;
    double projection[16] = {};
  };

  // What a reference frame is shaded from, per view pixel (rows bottom
  // first): RGBA floats holding the hit's texture coordinate less the pixel's
  // own (u, v), the light's verdict (1 lit, 0 in shadow) and 1 where the pixel
  // has a hit (0 elsewhere).
  // A hit of the displaced truth may lie on another triangle than the
  // pixel's: then eye and light hold, per view pixel (RGBA, a unused), the
  // unit directions from the hit to the eye and to the light in the hit's
  // own tangent frame, which the shading takes instead of the pixel's; empty
  // otherwise.
  struct ReferenceHits {
    int width = 0, height = 0;
    std::vector<float> rgba;
    std::vector<float> eye, light;
  };

  virtual Snapshot snapshot() const = 0;

  // Whether the maps that a draw of `set` reads beside the loaded ones (the
  // cone map, the max pyramid) are there for the heights in use. One that
  // takes a while is started in the background when it is not, and false
  // comes back, `progress` (0 to 1) saying how far it is, until it is made:
  // a draw asked for before then would wait for it with the window frozen.
  // True as well when it cannot be made (no heights). Jobs ask through
  // MapsWait before each row's first draw.
  virtual bool mapsReady(unsigned set, double& progress) = 0;

  // Each false with a one-line reason (a failed build's log after it) when
  // the pass cannot be made.
  virtual bool capture(Snapshot const& snap, Capture& out, std::string& error) = 0;
  virtual bool captureDepth(Snapshot const& snap, DepthCapture& out, std::string& error) = 0;
  // `draw` built with OUTPUT_HIT into a float target of the snapshot's size,
  // the normal map read at full size: per view pixel RGBA (u, v, the shadow
  // factor, 1 where drawn), rows bottom first; with `depth`, the window depths.
  virtual bool drawHits(Snapshot const& snap, Draw const& draw, std::vector<float>& hits, std::vector<float>* depth,
                        std::string& error) = 0;
  // `draw`'s colour program over the view as the window draws it: with
  // `pixels`, the RGBA bytes (rows bottom first); with `gpuMs`, the draw's GPU
  // time in milliseconds, waited for. The program is kept for the next draw
  // of the same set and counts.
  virtual bool drawColour(Snapshot const& snap, Draw const& draw, std::vector<unsigned char>* pixels, double* gpuMs,
                          std::string& error) = 0;
  // The snapshot's view shaded from `hits` instead of a search: the snapshot's
  // fragment shader built with REFERENCE_HIT (REFERENCE_FRAME as well where
  // the hits carry their frames; and SHADOW_TRACE when
  // `shadows`, so that shadowed hits take the shader's full shadow), drawn as
  // drawColour draws, into RGBA bytes (rows bottom first).
  virtual bool drawReference(Snapshot const& snap, ReferenceHits const& hits, bool shadows,
                             std::vector<unsigned char>& pixels, std::string& error) = 0;
  // Writes a picture, its labels drawn with the panel's font.
  virtual bool writePicture(Picture const& picture, std::string const& path, std::string& error) = 0;

  // The heights the programs draw; null with the reason when there are none.
  virtual std::unique_ptr<HeightField> readHeights(std::string& error) const = 0;
  // Draws `field` in place of the user's height map (its normal map and the
  // maps made from it regenerated) until restoreMaps(); false with the reason
  // when the GL refuses it. restoreMaps() puts the user's maps back and does
  // nothing when none were set aside.
  virtual bool useHeights(HeightField const& field, std::string& error) = 0;
  virtual void restoreMaps() = 0;

  // The window's own frames: the set they show (the panel follows it), how
  // many have been drawn, and the CPU time of recent ones in milliseconds by
  // frame number.
  virtual void showSet(unsigned set) = 0;
  virtual long framesDrawn() const = 0;
  virtual std::deque<std::pair<long, double> > const& cpuTimes() const = 0;
  // While a measurement runs the window shows the plain set (no A/B wipe) and
  // holds back the input that would change the scene.
  virtual void setMeasuring(bool on) = 0;
  // The wall clock, in seconds, that a timed row's draws are limited by
  // (DrawSampler); a stand-in may keep its own.
  virtual double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

protected:
  ~MeasureScene() = default;
};
