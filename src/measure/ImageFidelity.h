// ImageFidelity: what a viewer sees of a technique's error. It has the
// reference hits of a traced FidelityMeter shaded into reference frames
// through the scene's own fragment shader (built with REFERENCE_HIT), and
// compares a set's ordinary colour frame, drawn as the window draws it, with
// the reference frame drawn the same way, by the image metric (Flip) over the
// mesh's pixels: the mean, the 99th percentile and the share over 0.1.
//
// The reference's light verdict is lit or not, while the shader's shadow is a
// soft factor that only sets with SHADOW_TRACE apply: a set without it is
// compared with an unshadowed reference frame, a set with it with one whose
// shadowed pixels take the shader's full shadow.
#pragma once

#include <string>
#include <vector>

#include "Flip.h"
#include "FlipSummary.h"
#include "MeasureScene.h"

class FidelityMeter;

class ImageFidelity {
public:
  // The columns the image figures fill in a table, after the texel columns.
  static std::vector<std::string> columns() { return {"flip_mean", "flip_p99", "flip_over"}; }

  // One set's image error against the reference frame.
  struct Result {
    bool ok = false;
    FlipSummary summary;
    std::vector<float> map;  // the error per pixel, top row first
  };
  // The cells of columns(): "-" each when the result is not ok.
  static std::vector<std::string> cells(Result const& r);

  // For the view of `snap`, at its pixels per degree.
  ImageFidelity(MeasureScene& scene, MeasureScene::Snapshot const& snap);

  // Whether the snapshot's fragment shader draws reference frames (it must
  // mention REFERENCE_HIT); `why` says what is missing when it does not.
  bool supported(std::string& why) const;

  // Takes the meter's traced reference: the frames drawn for an earlier one
  // are dropped, and the next use draws them from this one.
  void follow(FidelityMeter const& meter);
  // The reference frame for sets with SHADOW_TRACE (`shadows`) or without,
  // as RGBA bytes, rows bottom first; drawn on first use. Null with the
  // reason when it cannot be drawn.
  std::vector<unsigned char> const* reference(bool shadows, std::string& error);
  // The reference frame `set` is compared with.
  std::vector<unsigned char> const* referenceFor(unsigned set, std::string& error);

  // The image error of `set`'s colour frame `frame` (RGBA bytes, rows bottom
  // first, as MeasureScene::drawColour gives it).
  bool compare(unsigned set, std::vector<unsigned char> const& frame, Result& out, std::string& error);

  // The mesh's pixels of the followed view, top row first.
  std::vector<bool> const& mask() const { return meshMask; }
  Flip const& metric() const { return flip; }
  int width() const { return snap.width; }
  int height() const { return snap.height; }

private:
  MeasureScene& scene;
  MeasureScene::Snapshot const& snap;
  Flip flip;
  MeasureScene::ReferenceHits hits;
  std::vector<bool> meshMask;
  std::vector<unsigned char> frames[2];  // without and with shadows; empty until drawn
};
