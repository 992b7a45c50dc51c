// Measurements on the bench in a small view: the fixture and a job run to its
// end, with the measuring layer's file helpers.
#pragma once

#include <functional>
#include <memory>

#include "../measure/resultfiles.h"
#include "modulefixture.h"

class SmallView : public Module {
protected:
  void SetUp() override {
    resize(200, 150);  // a small view keeps the software renderer quick
    shaderTestModule.reliefScene().light() = ReliefScene::initialLightPos;
  }
  void TearDown() override { resize(800, 600); }

public:
  // Starts the job and passes frames until it ends, calling `each` before each.
  static void runJob(std::unique_ptr<BenchJob> job, std::function<void(int)> const& each = [](int) {}) {
    shaderTestModule.jobs().start(std::move(job));
    for (int frame = 0; frame < 5000 && !shaderTestModule.jobs().idle(); ++frame) {
      each(frame);
      sdlSys.pass();
    }
    testevents::drain();
  }
};
