// MeasureScene: all that a measurement may ask of the scene it measures. It
// builds programs, draws the view into targets, times draws, reads the
// heights and describes the view, and never sees the window's panel.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "GpuTimer.h"
#include "HeightField.h"
#include "ReliefProgram.h"
#include "base/view.h"
#include "math/vec.h"

class OffscreenTarget;

class MeasureScene {
public:
  // The settings a measurement's figures depend on.
  struct Settings {
    unsigned set = 0;  // the technique set the window shows
    int steps = 32;
    int refineSteps = 6;
    float polyThickness = 0.5f;
  };

  // Everything a measurement's figures depend on, taken when it starts; every
  // pass of the measurement draws from it, whatever the window does meanwhile.
  struct Snapshot {
    Settings settings;
    View view;               // the main camera
    int width = 0, height = 0;  // the main view's size in pixels
    _vec<4, float> light;
    ReliefProgram::Source vert, frag;
    std::string description;  // "WxH view, GL renderer NAME"
  };

  virtual Snapshot snapshot() const = 0;
  // A colour program of the snapshot's shader texts for `set` at `steps`, with
  // `extraMacros` after the set's macros and the snapshot's uniforms; null
  // with the log when it fails.
  virtual std::unique_ptr<ReliefProgram> buildProgram(Snapshot const& snap, unsigned set, int steps,
                                                      std::string const& extraMacros, std::string& log) = 0;
  // Draws the snapshot's view with `prog` into `target` (a transparent
  // background and the normal map at full size when `forComparison`, as the
  // reference sees it), leaving the GL state as it was.
  virtual void drawInto(Snapshot const& snap, OffscreenTarget& target, ReliefProgram* prog, bool forComparison) = 0;
  virtual GpuTimer& gpuTimer() = 0;
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

protected:
  ~MeasureScene() = default;
};
