// The contact sheet job: the current view drawn once with each of fourteen
// technique sets, as a labelled grid of four columns and four rows in one picture.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "MapsWait.h"
#include "MeasureJobs.h"
#include "MeasureScene.h"
#include "Picture.h"
#include "PictureReport.h"
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
  ContactSheetJob(MeasureScene& scene, std::string path)
      : m(scene), snap(scene.snapshot()), path(std::move(path)), sets(Techniques::contactSheetSets()) {
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
    if (!maps.ready(m, sets[current])) return true;
    drawTile(current);
    ++current;
    return true;
  }

  void cancel() override { m.setMeasuring(false); }

private:
  void drawTile(size_t i) {
    unsigned const set = sets[i];
    int const steps = snap.settings.steps;
    int const x = static_cast<int>(i) % columns * tw, y = static_cast<int>(i) / columns * th;
    // Two lines, the set and then its steps and cost, so that the longest
    // names fit a tile; the whole name of all six would not fit at all.
    std::string const name = set == Techniques::allSix ? std::string("all six") : Techniques::name(set);
    std::string detail = std::to_string(steps) + " steps";
    float const glyph = 10.0f, line = glyph + 3.0f;
    auto writeLabel = [&](unsigned color) {
      // A dark band keeps the label readable over a bright tile.
      sheet->fill(x, y, tw, static_cast<int>(2 * line) + 6, 0xFF202020u);
      sheet->label(static_cast<float>(x + 4), static_cast<float>(y + 4), name, color, glyph);
      sheet->label(static_cast<float>(x + 4), static_cast<float>(y + 4) + line, detail, color, glyph);
    };
    con << "contactsheet " << static_cast<int>(i + 1) << "/" << static_cast<int>(sets.size()) << ": "
        << Techniques::name(set) << "\n";
    // The first draw warms up (the driver may finish compiling on first use),
    // the second is timed and shown.
    MeasureScene::Draw const draw{set, steps, ""};
    std::vector<unsigned char> pixels;
    double ms = 0;
    std::string error;
    if (!m.drawColour(snap, draw, nullptr, nullptr, error) || !m.drawColour(snap, draw, &pixels, &ms, error)) {
      con << "contactsheet: " << error << "\n";
      detail += ": build failed";
      writeLabel(0xFF3030FFu);
      return;
    }

    sheet->put(scale == 2 ? halve(pixels, w, h) : pixels, tw, th, x, y);
    char cost[48];
    std::snprintf(cost, sizeof cost, ", GPU %.2f ms", ms);
    detail += cost;
    writeLabel(0xFFFFFFFFu);
    sheet->fill(x + tw - 1, y, 1, th, 0xFF606060u);
    sheet->fill(x, y + th - 1, tw, 1, 0xFF606060u);
  }

  bool finish() {
    m.setMeasuring(false);
    reportPicture(m, *sheet, path, "contactsheet");
    return false;
  }

  static constexpr int columns = 4;
  int rows() const { return (static_cast<int>(sets.size()) + columns - 1) / columns; }

  MeasureScene& m;
  MeasureScene::Snapshot const snap;
  std::string path;
  std::vector<unsigned> sets;
  int w = 0, h = 0, scale = 1, tw = 0, th = 0;
  std::unique_ptr<Picture> sheet;
  size_t current = 0;
  MapsWait maps{"contactsheet"};
};

}  // namespace

std::unique_ptr<BenchJob> makeContactSheetJob(MeasureScene& scene, std::string const& path) {
  return std::unique_ptr<BenchJob>(new ContactSheetJob(scene, path));
}
