// Measurements hold still: a sweep disturbed by flying, a light drag and a shader
// edit measures what an undisturbed one does, and so does a profile in a key burst.
#include <algorithm>
#include <fstream>
#include <functional>

#include "MeasureJobs.h"
#include "Techniques.h"
#include "base/console.h"
#include "smallview.h"

namespace {

using namespace Techniques;
using namespace testevents;

// The error columns of each row (set to max), without the GPU time and its sampler's columns.
Rows errorColumns(std::string const& csv) {
  Rows rows = csvRows(csv);
  size_t const gpu = rows.empty() ? 0 : column(rows, "gpu_ms");
  for (std::vector<std::string>& row : rows) row.resize(std::min(gpu, row.size()));
  return rows;
}

// A small sweep, `each` called before each frame.
void sweep(std::string const& csv, std::function<void(int)> const& each) {
  SweepPlan const plan{{Iterative, Iterative | BinaryRefine}, {4, 16}};
  SmallView::runJob(makeFidelityJob(shaderTestModule.measureScene(), FidelityMode::Sweep, csv, plan), each);
}

using Freeze = SmallView;

}  // namespace

TEST_F(Freeze, ADisturbedSweepMeasuresWhatAnUndisturbedOneDoes) {
  std::string const quiet = testing::TempDir() + "quiet.csv", busy = testing::TempDir() + "busy.csv";
  std::string const frag = testing::TempDir() + "edited.frag";
  std::string const bundled = shaderTestModule.reliefScene().programs().shaderFile(false).path();
  { std::ofstream(frag) << slurp(bundled); }
  run("shader frag " + frag);
  sweep(quiet, [](int) {});

  View const& view = base.views[Base::VIEW_MAIN];
  _vec<3, float> const camera = view.basis.pos;
  _vec<4, float> const light = shaderTestModule.reliefScene().light();
  mark();
  sweep(busy, [&](int frame) {
    if (frame == 2) key(SDL_KEYDOWN, SDL_SCANCODE_E);  // fly forward
    if (frame == 6) key(SDL_KEYUP, SDL_SCANCODE_E);
    if (frame == 3) button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 150, 75);
    if (frame > 3 && frame < 8) motion(150 + 10 * frame, 75, SDL_BUTTON_LMASK);  // drag the light
    if (frame == 8) button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 190, 75);
    if (frame == 4) {
      // Every hit at the texture's corner: a pass built from this text is far off.
      std::ofstream(frag) << "void main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }\n";
    }
  });
  Rows const a = errorColumns(quiet), b = errorColumns(busy);
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(view.basis.pos == camera) << "the camera waited";
  EXPECT_TRUE(shaderTestModule.reliefScene().light() == light) << "the light waited";
  std::string const text = sinceMark();
  size_t const held = text.find("a measurement is running");
  EXPECT_NE(held, std::string::npos);
  EXPECT_EQ(text.find("a measurement is running", held + 1), std::string::npos) << "said once";
  run("shader frag " + bundled);
  EXPECT_NE(said("cancel").find("no measurement is running"), std::string::npos) << "nothing runs now";
}

TEST_F(Freeze, AProfileDuringAKeyBurstTimesExactlyItsFrames) {
  std::string const csv = testing::TempDir() + "burst.csv";
  shaderTestModule.jobs().exec(("profile 3 " + csv).c_str());
  for (int frame = 0; frame < 5000 && !shaderTestModule.jobs().idle(); ++frame) {
    for (int i = 0; i < 3; ++i) {  // keys waiting behind each frame make it a catch-up pass
      key(SDL_KEYDOWN, SDL_SCANCODE_J);
      key(SDL_KEYUP, SDL_SCANCODE_J);
    }
    sdlSys.pass();
  }
  drain();
  std::vector<std::vector<std::string> > const rows = csvRows(csv);
  ASSERT_EQ(rows.size(), 1 + profileSets().size());
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_TRUE(rows[i][2] == "3" && rows[i][3] != "failed") << rows[i][0];
}
