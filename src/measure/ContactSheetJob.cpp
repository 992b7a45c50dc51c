// The contact sheet job: the current view drawn with each of a list of
// technique sets (the fourteen standard ones unless the command names others),
// as a labelled grid of tiles in one picture, each tile with its time
// (DrawSampler's median).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "DrawSampler.h"
#include "MapsWait.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "Picture.h"
#include "PictureReport.h"
#include "RunContext.h"
#include "Techniques.h"
#include "base/console.h"

namespace {

// A w x h RGBA read-back halved in each direction by averaging 2 x 2 blocks.
std::vector<unsigned char> halve(std::vector<unsigned char> const& src, int w, int h) {
  int const hw = w / 2, hh = h / 2;
  std::vector<unsigned char> out(static_cast<size_t>(hw) * static_cast<size_t>(hh) * 4);
  for (int y = 0; y < hh; ++y)
    for (int x = 0; x < hw; ++x)
      for (int c = 0; c < 4; ++c) {
        int sum = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx)
            sum += src[4 * (static_cast<size_t>(2 * y + dy) * static_cast<size_t>(w) + static_cast<size_t>(2 * x + dx)) + static_cast<size_t>(c)];
        out[4 * (static_cast<size_t>(y) * static_cast<size_t>(hw) + static_cast<size_t>(x)) + static_cast<size_t>(c)] =
            static_cast<unsigned char>((sum + 2) / 4);
      }
  return out;
}

class ContactSheetJob : public BenchJob {
public:
  ContactSheetJob(MeasureScene& scene, std::string path, std::vector<unsigned> const& chosen)
      : m(scene), snap(scene.snapshot()), path(std::move(path)),
        sets(chosen.empty() ? Techniques::contactSheetSets() : chosen) {
    // As many columns as the square root of the count, rounded up: fourteen
    // tiles make four columns of four rows.
    columns = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(sets.size())) - 1e-9)));
    w = snap.width;
    h = snap.height;
    // Tiles at half the view's size, unless that makes them tiny.
    scale = w >= 480 ? 2 : 1;
    tw = w / scale;
    th = h / scale;
    sheet.reset(new Picture(columns * tw, rows() * th, 0xFF000000u));
  }

  std::string name() const override { return "contactsheet " + path; }
  void begin() override { m.setMeasuring(true); }

  bool step() override {
    if (current == sets.size()) return finish();
    if (drawsDone == 0 && !maps.ready(m, sets[current])) return true;
    if (!drawTile(current)) {
      ++current;
      drawsDone = 0;
    }
    return true;
  }

  void cancel() override { m.setMeasuring(false); }

private:
  // One draw a frame of tile i: the first warms up (the driver may finish
  // compiling on first use), the others are timed until the sampler has
  // enough, the first of them shown. False once the tile is done.
  bool drawTile(size_t i) {
    unsigned const set = sets[i];
    MeasureScene::Draw const draw{set, snap.settings.steps, ""};
    std::string error;
    if (drawsDone == 0) {
      con << "contactsheet " << static_cast<int>(i + 1) << "/" << static_cast<int>(sets.size()) << ": "
          << Techniques::name(set) << "\n";
      timing = DrawSampler();
      if (!m.drawColour(snap, draw, nullptr, nullptr, error)) return failTile(i, error);
      ++drawsDone;
      return true;
    }
    if (drawsDone == 1) timingStart = m.seconds();
    double ms = 0;
    if (!m.drawColour(snap, draw, drawsDone == 1 ? &pixels : nullptr, &ms, error)) return failTile(i, error);
    timing.add(ms, m.seconds() - timingStart);
    ++drawsDone;
    if (timing.wantsMore()) return true;
    DrawSampler::Result const r = timing.result();
    int const x = static_cast<int>(i) % columns * tw, y = static_cast<int>(i) / columns * th;
    sheet->put(scale == 2 ? halve(pixels, w, h) : pixels, tw, th, x, y);
    std::string const detail = detailOf();
    char cost[64];
    // A software renderer's draw time is CPU time.
    std::snprintf(cost, sizeof cost, "%s%s %.2f ms%s", detail.empty() ? "" : ", ",
                  softwareRenderer(snap.renderer) ? "draw" : "GPU", r.median, r.capped ? " (capped)" : "");
    writeLabel(i, detail + cost, 0xFFFFFFFFu);
    sheet->fill(x + tw - 1, y, 1, th, 0xFF606060u);
    sheet->fill(x, y + th - 1, tw, 1, 0xFF606060u);
    return false;
  }

  bool failTile(size_t i, std::string const& error) {
    con << "contactsheet: " << error << "\n";
    std::string const detail = detailOf();
    writeLabel(i, detail + (detail.empty() ? "" : ": ") + "build failed", 0xFF3030FFu);
    return false;
  }

  // A set that counts no steps (the single offsets, none) shows none.
  std::string detailOf() const {
    return Techniques::usesSteps(sets[current]) ? std::to_string(snap.settings.steps) + " steps" : "";
  }

  // Two lines, the set and then its steps and cost, so that the longest
  // names fit a tile; the whole name of all six would not fit at all.
  void writeLabel(size_t i, std::string const& detail, unsigned color) {
    unsigned const set = sets[i];
    int const x = static_cast<int>(i) % columns * tw, y = static_cast<int>(i) / columns * th;
    std::string const name = set == Techniques::allSix ? std::string("all six") : Techniques::name(set);
    float const glyph = 10.0f, line = glyph + 3.0f;
    // A dark band keeps the label readable over a bright tile.
    sheet->fill(x, y, tw, static_cast<int>(2 * line) + 6, 0xFF202020u);
    sheet->label(static_cast<float>(x + 4), static_cast<float>(y + 4), name, color, glyph);
    sheet->label(static_cast<float>(x + 4), static_cast<float>(y + 4) + line, detail, color, glyph);
  }

  bool finish() {
    m.setMeasuring(false);
    reportPicture(m, *sheet, path, "contactsheet");
    return false;
  }

  int columns = 1;
  int rows() const { return (static_cast<int>(sets.size()) + columns - 1) / columns; }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  std::string path;
  std::vector<unsigned> sets;
  int w = 0, h = 0, scale = 1, tw = 0, th = 0;
  std::unique_ptr<Picture> sheet;
  size_t current = 0;
  int drawsDone = 0;                  // the current tile's draws
  DrawSampler timing;                 // its timed draws
  double timingStart = 0;             // when the first of them began
  std::vector<unsigned char> pixels;  // the first timed draw, shown
  MapsWait maps{"contactsheet"};
};

}  // namespace

std::unique_ptr<BenchJob> makeContactSheetJob(MeasureScene& scene, std::string const& path,
                                              std::vector<unsigned> const& sets) {
  return std::unique_ptr<BenchJob>(new ContactSheetJob(scene, path, sets));
}
