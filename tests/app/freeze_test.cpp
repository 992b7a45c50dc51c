// Measurements hold still: a sweep disturbed by flying, a light drag and a
// shader edit gives the figures of an undisturbed one, cancel leaves the file
// it was to write as it was, and a profile during a burst of keys times
// exactly the frames it was asked for.
#include <fstream>
#include <functional>
#include <sstream>

#include "MeasureJobs.h"
#include "Techniques.h"
#include "base/console.h"
#include "modulefixture.h"

namespace {

using namespace Techniques;
using namespace testevents;

std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The error columns of each row (set to max), without the GPU time.
std::vector<std::string> errorColumns(std::string const& csv) {
  std::istringstream in(slurp(csv));
  std::vector<std::string> out;
  for (std::string line; std::getline(in, line);) out.push_back(line.substr(0, line.rfind(',')));
  return out;
}

// Runs a small sweep, calling `disturb` before each frame, until it ends.
void sweep(std::string const& csv, std::function<void(int)> const& disturb) {
  SweepPlan const plan{{Iterative, Iterative | BinaryRefine}, {4, 16}};
  shaderTestModule.jobs().start(makeFidelityJob(shaderTestModule, FidelityMode::Sweep, csv, plan));
  for (int frame = 0; frame < 2000 && !shaderTestModule.jobs().idle(); ++frame) {
    disturb(frame);
    sdlSys.pass();
  }
  drain();
}

class Freeze : public Module {
protected:
  void SetUp() override {
    resize(200, 150);  // a small view keeps the software renderer quick
    shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
  }
  void TearDown() override { resize(800, 600); }
};

}  // namespace

TEST_F(Freeze, ADisturbedSweepMeasuresWhatAnUndisturbedOneDoes) {
  std::string const quiet = testing::TempDir() + "quiet.csv", busy = testing::TempDir() + "busy.csv";
  std::string const frag = testing::TempDir() + "edited.frag";
  std::string const bundled = shaderTestModule.reliefScene().shaderFile(false).path();
  { std::ofstream(frag) << slurp(bundled); }
  run("shader frag " + frag);
  sweep(quiet, [](int) {});

  View const& view = base.views[Base::VIEW_MAIN];
  _vec<3, float> const camera = view.basis.pos;
  _vec<4, float> const light = shaderTestModule.reliefScene().light();
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
  std::vector<std::string> const a = errorColumns(quiet), b = errorColumns(busy);
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a, b);
  EXPECT_TRUE(view.basis.pos == camera) << "the camera waited";
  EXPECT_TRUE(shaderTestModule.reliefScene().light() == light) << "the light waited";
  EXPECT_NE(std::string(con.getText()).find("a measurement is running"), std::string::npos);
  run("shader frag " + bundled);
}

TEST_F(Freeze, CancelStopsASweepAndLeavesItsFileAsItWas) {
  std::string const csv = testing::TempDir() + "kept.csv";
  std::string const before = "set,steps\nan earlier run,1\n";
  { std::ofstream(csv, std::ios::binary) << before; }
  sweep(csv, [](int frame) {
    if (frame == 3) shaderTestModule.jobs().exec("cancel");
  });
  EXPECT_EQ(slurp(csv), before);
  std::string const text = con.getText();
  EXPECT_NE(text.find("cancelled fidelity sweep " + csv), std::string::npos) << text;
  // Nothing runs now: cancel says so.
  run("cancel");
  EXPECT_NE(std::string(con.getText()).find("no measurement is running"), std::string::npos);
}

TEST_F(Freeze, AProfileDuringAKeyBurstTimesExactlyItsFrames) {
  std::string const csv = testing::TempDir() + "burst.csv";
  shaderTestModule.jobs().exec(("profile 3 " + csv).c_str());
  for (int frame = 0; frame < 5000 && !shaderTestModule.jobs().idle(); ++frame) {
    // Keys waiting behind each frame make it a catch-up pass.
    for (int i = 0; i < 3; ++i) {
      key(SDL_KEYDOWN, SDL_SCANCODE_J);
      key(SDL_KEYUP, SDL_SCANCODE_J);
    }
    sdlSys.pass();
  }
  drain();
  std::istringstream in(slurp(csv));
  std::string line;
  std::getline(in, line);
  ASSERT_EQ(line, "set,steps,frames,gpu_ms_median,gpu_ms_p90,cpu_ms");
  size_t rows = 0;
  for (; std::getline(in, line); ++rows) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string c; std::getline(fields, c, ',');) cells.push_back(c);
    ASSERT_GE(cells.size(), 4u) << line;
    EXPECT_EQ(cells[2], "3") << line;
    EXPECT_NE(cells[3], "failed") << line;
  }
  EXPECT_EQ(rows, profileSets().size());
}
