// ImageFidelity: the reference frames, drawn once per traced reference, and
// the metric's summary of a set's frame against its reference frame.
#include "ImageFidelity.h"

#include "FidelityMeter.h"
#include "FlipPicture.h"
#include "ResultTable.h"
#include "Techniques.h"

std::vector<std::string> ImageFidelity::cells(Result const& r) {
  if (!r.ok) return {"-", "-", "-"};
  return {ResultTable::number(r.summary.mean, 4), ResultTable::number(r.summary.p99, 4),
          ResultTable::number(r.summary.over, 4)};
}

ImageFidelity::ImageFidelity(MeasureScene& scene, MeasureScene::Snapshot const& snap)
    : scene(scene), snap(snap), flip(FlipFilters::acceptsPixelsPerDegree(snap.flipPpd) ? snap.flipPpd
                                                                                          : Flip::kDefaultPixelsPerDegree) {}

bool ImageFidelity::supported(std::string& why) const {
  if (snap.frag.text.find("REFERENCE_HIT") != std::string::npos) return true;
  why = "the fragment shader " + snap.frag.path +
        " never mentions REFERENCE_HIT, which the image figures need to draw the reference frame; only the texel "
        "figures come";
  return false;
}

void ImageFidelity::follow(FidelityMeter const& meter) {
  hits = meter.referenceHits();
  meshMask = meter.meshMask();
  frames[0].clear();
  frames[1].clear();
}

std::vector<unsigned char> const* ImageFidelity::reference(bool shadows, std::string& error) {
  std::vector<unsigned char>& frame = frames[shadows ? 1 : 0];
  if (!frame.empty()) return &frame;
  if (hits.rgba.empty()) {
    error = "there is no traced reference to shade";
    return nullptr;
  }
  if (!scene.drawReference(snap, hits, shadows, frame, error)) {
    frame.clear();
    return nullptr;
  }
  return &frame;
}

std::vector<unsigned char> const* ImageFidelity::referenceFor(unsigned set, std::string& error) {
  return reference((Techniques::withPartners(set) & Techniques::ShadowTrace) != 0, error);
}

bool ImageFidelity::compare(unsigned set, std::vector<unsigned char> const& frame, Result& out, std::string& error) {
  out = Result();
  std::vector<unsigned char> const* const ref = referenceFor(set, error);
  if (!ref) return false;
  size_t const bytes = 4 * static_cast<size_t>(snap.width) * static_cast<size_t>(snap.height);
  if (frame.size() != bytes || ref->size() != bytes) {
    error = "a frame is not of the view's size";
    return false;
  }
  out.map = flip.errorMap(FlipPicture::fromRgba8(ref->data(), snap.width, snap.height),
                          FlipPicture::fromRgba8(frame.data(), snap.width, snap.height));
  out.summary = FlipSummary::of(out.map, meshMask);
  out.ok = true;
  return true;
}
