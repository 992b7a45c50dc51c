// SceneMeasure: the window's side of MeasureScene. It takes the snapshot of
// the module's view and scene, builds the measuring programs with the scene's
// maps, draws them into offscreen targets of the snapshot's size and reads
// them back, and passes the window's own requests (the panel, the frames) to
// the module.
#pragma once

#include <memory>
#include <string>

#include "HitTexture.h"
#include "MeasureScene.h"
#include "OffscreenTarget.h"
#include "ReliefProgram.h"

class ReliefScene;
class ShaderTestModule;

class SceneMeasure : public MeasureScene {
public:
  SceneMeasure(ShaderTestModule& module, ReliefScene& scene) : module(module), scene(scene) {}
  SceneMeasure(SceneMeasure const&) = delete;
  SceneMeasure& operator=(SceneMeasure const&) = delete;

  // Lets go of every program and target (before the GL context goes).
  void release();

  Snapshot snapshot() const override;
  // The same against a given truth, whatever fidelityTruth says.
  Snapshot snapshotAgainst(FidelityTruth truth) const;
  bool mapsReady(unsigned set, double& progress) override;
  bool capture(Snapshot const& snap, Capture& out, std::string& error) override;
  bool captureDepth(Snapshot const& snap, DepthCapture& out, std::string& error) override;
  bool drawHits(Snapshot const& snap, Draw const& draw, std::vector<float>& hits, std::vector<float>* depth,
                std::string& error) override;
  bool drawColour(Snapshot const& snap, Draw const& draw, std::vector<unsigned char>* pixels, double* gpuMs,
                  std::string& error) override;
  bool drawReference(Snapshot const& snap, ReferenceHits const& hits, bool shadows, std::vector<unsigned char>& pixels,
                     std::string& error) override;
  bool writePicture(Picture const& picture, std::string const& path, std::string& error) override;
  std::unique_ptr<HeightField> readHeights(std::string& error) const override;
  bool useHeights(HeightField const& field, std::string& error) override;
  void restoreMaps() override;
  void showSet(unsigned set) override;
  long framesDrawn() const override;
  std::deque<std::pair<long, double> > const& cpuTimes() const override;
  void setMeasuring(bool on) override;

private:
  // A program kept between draws: what it was built from, and the program.
  struct Kept {
    std::string key;
    std::unique_ptr<ReliefProgram> program;
  };
  // The program of `draw` behind `extra` macros, built unless `kept` holds it.
  ReliefProgram* program(Snapshot const& snap, Draw const& draw, std::string const& extra, Kept& kept,
                         std::string& error);
  // A target of the snapshot's size with `attachments` of `format`, made unless `target` is one.
  static bool sized(OffscreenTarget& target, Snapshot const& snap, int attachments, GLenum format,
                    std::string& error);
  // A pass of the snapshot's vertex shader with `fragment` behind `macros`
  // into `target`; a build failure says the vertex shader lacks what it `reads`.
  bool capturePass(Snapshot const& snap, char const* fragment, std::string const& macros, char const* reads,
                   OffscreenTarget& target, std::string& error);

  ShaderTestModule& module;
  ReliefScene& scene;
  Kept hitProgram, colourProgram;
  Kept referencePrograms[4];  // without and with SHADOW_TRACE, then the same with REFERENCE_FRAME
  OffscreenTarget floats, bytes, captureTarget;
  HitTexture referenceHits, referenceEye, referenceLight;
};
