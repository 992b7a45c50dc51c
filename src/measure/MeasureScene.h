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

  virtual Settings settings() const = 0;
  // A colour program of the current shader files for `set` at `steps`, with
  // `extraMacros` after the set's macros; null with the log when it fails.
  virtual std::unique_ptr<ReliefProgram> buildProgram(unsigned set, int steps, std::string const& extraMacros,
                                                      std::string& log) = 0;
  // The vertex shader the programs are built from.
  virtual ReliefProgram::Source vertexShader() const = 0;
  // Draws the main view with `prog` into `target` (a transparent background
  // and the normal map at full size when `forComparison`, as the reference
  // sees it), leaving the GL state as it was.
  virtual void drawInto(OffscreenTarget& target, ReliefProgram* prog, bool forComparison) = 0;
  virtual GpuTimer& gpuTimer() = 0;
  // The heights the programs draw; null with the reason when there are none.
  virtual std::unique_ptr<HeightField> readHeights(std::string& error) const = 0;
  // The main view's size in pixels, and "WxH view, GL renderer NAME".
  virtual int viewWidth() const = 0;
  virtual int viewHeight() const = 0;
  virtual std::string viewDescription() const = 0;

  // The window's own frames, for measurements of real frames: the set they
  // draw, whether its build failed, how many have been drawn, and the CPU time
  // of recent ones in milliseconds by frame number.
  virtual void showSet(unsigned set) = 0;
  virtual bool shaderBroken() const = 0;
  virtual long framesDrawn() const = 0;
  virtual std::deque<std::pair<long, double> > const& cpuTimes() const = 0;
  // While a measurement runs the window shows the plain set (no A/B wipe).
  virtual void setMeasuring(bool on) = 0;

protected:
  ~MeasureScene() = default;
};
