// Measurements on the bench in a small view: the fixture, a job run to its end
// (or cancelled at a frame), and the files the jobs write read back.
#pragma once

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

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
  static void cancelAt(int frame, int at) {
    if (frame == at) shaderTestModule.jobs().exec("cancel");
  }

  static std::string slurp(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  // The header and the rows, without the context lines ("# KEY VALUE") before them.
  static std::vector<std::vector<std::string> > csvRows(std::string const& path) {
    std::istringstream in(slurp(path));
    std::vector<std::vector<std::string> > out;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line[0] == '#') continue;  // the context before the header
      out.emplace_back();
      std::istringstream fields(line);
      for (std::string c; std::getline(fields, c, ',');) out.back().push_back(c);
    }
    return out;
  }
};
