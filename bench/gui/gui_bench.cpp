// Benchmarks of the collector and the menu system: a full collection over
// 10,000 and 100,000 live widgets, and the input pass and the drawing pass of
// a GUI of 1,000 widgets.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "gc/gc.h"
#include "menu/menu.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

#ifdef RB_GUI_BENCH_GL
#include <GL/gl.h>

#include "base/console.h"
#include "base/imagesystem.h"
#include "base/texture.h"
#include "testsupport/glcontext.h"
#endif

namespace {

using pwn::Vec2;

// A tree of `count` widgets with ten children per node, breadth first.
pwn::Object* buildTree(int count) {
  std::vector<pwn::Object*> nodes;
  nodes.reserve(static_cast<std::size_t>(count));
  nodes.push_back(new pwn::Object(Vec2(0, 0), Vec2(1000, 1000)));
  for (int i = 1; i < count; ++i) {
    pwn::Object* o = new pwn::Object(Vec2(static_cast<float>(i % 7), static_cast<float>(i % 5)), Vec2(4, 4));
    nodes[static_cast<std::size_t>((i - 1) / 10)]->addChild(o);
    nodes.push_back(o);
  }
  return nodes.front();
}

void BM_Collect(benchmark::State& state) {
  int const n = static_cast<int>(state.range(0));
  gc::GlobalPointer<pwn::Object> top(buildTree(n));
  for (auto _ : state) gc::collector().collect();
  state.SetComplexityN(n);
  state.SetItemsProcessed(state.iterations() * n);
  top = nullptr;
  gc::collector().collect();
}
BENCHMARK(BM_Collect)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// A GUI of exactly 1,000 widgets: 10 closable windows (each with its close
// button) holding 98 labelled checkboxes each, in rows of ten.
void buildPanel(pwn::Object* root) {
  for (int w = 0; w < 10; ++w) {
    pwn::Window* win = new pwn::Window(Vec2(static_cast<float>(w * 20), 10), Vec2(200, 120), true);
    root->addChild(win);
    for (int i = 0; i < 98; ++i) {
      pwn::Checkbox* box = new pwn::Checkbox(
          Vec2(static_cast<float>((i % 10) * 20), static_cast<float>((i / 10) * 11)), "Technique", i % 2 != 0);
      box->setFontSize(Vec2(8, 10));
      box->setSize(Vec2(18, 10));
      win->addChild(box);
    }
  }
}

struct InputHandlers {
  InputHandlers(int w, int h) {
    disp.setImp(&d);
    mouse.setImp(&m);
    kbd.setImp(&k);
    d.resize(w, h);
    d.update();
  }
  Display d;
  MouseHandler m;
  KeyboardHandler k;
};

void BM_InputPass1000(benchmark::State& state) {
  InputHandlers h(1024, 512);
  pwn::menuSys->init();
  buildPanel(pwn::menuSys->getRoot());
  int frame = 0;
  for (auto _ : state) {
    // The pointer sweeps over the windows, pressing and releasing now and then.
    ++frame;
    h.m.setCursorPos((frame * 13) % 400, 40 + (frame * 7) % 100);
    h.m.setButtonPress(PMouseHandler::PRIMARY, (frame / 4) % 2 == 0);
    h.m.update();
    h.k.preUpdate();
    benchmark::DoNotOptimize(pwn::menuSys->getInput());
    h.k.postUpdate();
  }
  pwn::menuSys->shutdown();
}
BENCHMARK(BM_InputPass1000)->Unit(benchmark::kMicrosecond);

#ifdef RB_GUI_BENCH_GL
void BM_Draw1000(benchmark::State& state) {
  static GLTestContext* ctx = new GLTestContext(1024, 512);
  static Texture font;
  if (!font.id) {
    ImageSystem::init();
    if (!font.load2D(RB_DATA_DIR "/font.bmp")) std::abort();
  }
  con.font = font;
  pwn::menuSys->init();
  buildPanel(pwn::menuSys->getRoot());
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT);
    pwn::menuSys->display();
    glFinish();
  }
  state.counters["objects"] = static_cast<int>(pwn::menuCount);
  pwn::menuSys->shutdown();
  (void)ctx;
}
BENCHMARK(BM_Draw1000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
