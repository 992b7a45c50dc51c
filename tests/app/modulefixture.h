// The bench module on a real offscreen context, started once for the suite,
// with helpers that run console lines and read the window back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "ShaderGui.h"
#include "ShaderScene.h"
#include "base/console.h"
#include "base/imagewriter.h"
#include "base/base.h"
#include "sdlsystem/sdlsystem.h"
#include "system/display.h"
#include "testsupport/glcontext.h"
#include "testsupport/sdlevents.h"

class Module : public ::testing::Test {
public:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    ASSERT_EQ(chdir(RB_DATA_DIR), 0);
    sdlBindSingletons();
    testing::internal::CaptureStdout();
    shaderTestModule.init();
    startOutput = testing::internal::GetCapturedStdout();
    base.setScene(&shaderTestModule);
    base.loopCallback = &shaderTestModule;
    sdlSys.setLoopFunc([] { base_loopCallback(); });
    sdlSys.pass();
  }
  static void TearDownTestSuite() { shaderTestModule.shutdown(); }

  // Runs a console line (or each of several) as if typed, then passes frames
  // until it and any job it started have finished.
  static void run(std::string const& line) {
    shaderTestModule.jobs().exec(line.c_str());
    for (int i = 0; i < 100000 && !shaderTestModule.jobs().idle(); ++i) sdlSys.pass();
    sdlSys.pass();
  }
  static void run(std::initializer_list<std::string> lines) {
    for (std::string const& line : lines) run(line);
  }

  // Runs a console line and gives what the console printed meanwhile, bounded
  // by a marker so that an earlier line's message is never taken for this one's.
  static std::string said(std::string const& line) {
    mark();
    run(line);
    return sinceMark();
  }
  // The same bounds around anything else (a job run frame by frame).
  static void mark() { con.addString(marker); }
  static std::string sinceMark() {
    std::string const text = con.getText();
    size_t const at = text.rfind(marker);
    return at == std::string::npos ? text : text.substr(at + std::strlen(marker));
  }

  // Resizes the window and passes frames until the engine has taken the size.
  static void resize(int w, int h) {
    SDL_SetWindowSize(sdlSys.getWindow(), w, h);
    for (int i = 0; i < 20 && disp.getSize() != _vec<2, int>(w, h); ++i) sdlSys.pass();
    ASSERT_EQ(disp.getSize(), (_vec<2, int>(w, h)));
  }

  // The window as the screenshot command writes it: RGB, rows top first.
  struct Shot {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
    unsigned char const* at(int x, int y) const { return &rgb[3 * (static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x))]; }
    double brightness(int x0, int y0, int bw, int bh) const {
      double sum = 0;
      for (int y = y0; y < y0 + bh; ++y)
        for (int x = x0; x < x0 + bw; ++x) sum += at(x, y)[0] + at(x, y)[1] + at(x, y)[2];
      return sum / (3.0 * bw * bh);
    }
    // The pixels of a box whose RGB `is` takes.
    template <class Is>
    int count(int x0, int y0, int bw, int bh, Is is) const {
      int n = 0;
      for (int y = y0; y < y0 + bh; ++y)
        for (int x = x0; x < x0 + bw; ++x) n += is(at(x, y));
      return n;
    }
  };
  static Shot shot() {
    std::string const file = testing::TempDir() + "module-shot.png";
    run("screenshot " + file);
    Shot s;
    s.rgb = readPNG(file, s.w, s.h);
    return s;
  }

  // Writes a 512 x 512 PNG of noise (no cone map can be made of it at once) and gives its path.
  static std::string noiseMap(std::string const& name, unsigned seed) {
    std::string const path = testing::TempDir() + name;
    std::vector<unsigned char> rgb(512 * 512 * 3);
    for (unsigned char& c : rgb) c = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 24);
    std::string why;
    EXPECT_TRUE(writeImageFile(path, 512, 512, rgb.data(), 512 * 3, why)) << why;
    return path;
  }

  // Writes a 16 x 16 PNG of one grey level (a flat height map) and gives its path.
  static std::string greyMap(std::string const& name, unsigned char level) {
    std::string const path = testing::TempDir() + name;
    std::vector<unsigned char> const rgb(16 * 16 * 3, level);
    std::string why;
    EXPECT_TRUE(writeImageFile(path, 16, 16, rgb.data(), 16 * 3, why)) << why;
    return path;
  }

  // The heights in use as the read-back gives them, rows first, then the width.
  static std::vector<float> heights() {
    std::string error;
    std::unique_ptr<HeightField> const f = shaderTestModule.measureScene().readHeights(error);
    EXPECT_TRUE(f) << error;
    if (!f) return {};
    std::vector<float> out(f->texels(), f->texels() + static_cast<size_t>(f->width()) * static_cast<size_t>(f->height()));
    out.push_back(static_cast<float>(f->width()));
    return out;
  }

  static inline std::string startOutput;
  static constexpr char const* marker = "-- the test's next line --\n";
};
