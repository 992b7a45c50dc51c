// A console driven frame by frame through a real keyboard handler, the way the
// platform loop and the engine's frame drive it.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "base/console.h"
#include "system/keyboard.h"
#include "system/timer.h"

class ConsoleKeys : public testing::Test {
protected:
  void SetUp() override {
    kbd.setImp(&keys);
    timer.setImp(&clock);
    clock.init();
    cvarRegistry()->init();  // as the engine's start-up does
    console.reset(new Console);
    // No image loaders are set up here, so no font is found and init needs no
    // GL context; it says so on standard error.
    testing::internal::CaptureStderr();
    console->init(80, 50);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("failed to find font file"), std::string::npos);
  }
  void TearDown() override {
    console.reset();
    kbd.setImp(nullptr);
  }

  // One frame: the presses arrive, the keyboard computes its states, the
  // console takes its keys, the frame body runs, the console gives the keys
  // back and the press queue is emptied.
  template <class Body>
  void frame(std::initializer_list<int> presses, Body body) {
    for (int k : presses) keys.keyDown(static_cast<Key::Key_t>(k));
    keys.preUpdate();
    console->preUpdate();
    body();
    console->postUpdate();
    keys.postUpdate();
  }
  void frame(std::initializer_list<int> presses) {
    frame(presses, [] {});
  }
  void release(int k) { keys.keyUp(static_cast<Key::Key_t>(k)); }

  // Types text one key per frame, holding LSHIFT for upper-case letters and
  // the shifted punctuation used here; returns what the console printed.
  std::string type(std::string const& text, bool enter) {
    testing::internal::CaptureStdout();
    for (char ch : text) {
      unsigned char const c = static_cast<unsigned char>(ch);
      size_t const punct = std::string("\"!?").find(ch);
      bool const shift = std::isupper(c) || punct != std::string::npos;
      int const key = punct != std::string::npos ? "'1/"[punct] : std::tolower(c);
      if (shift) keys.keyDown(Key::LSHIFT);
      frame({key});
      release(key);
      if (shift) release(Key::LSHIFT);
    }
    if (enter) {
      frame({Key::RETURN});
      release(Key::RETURN);
    }
    frame({});
    return testing::internal::GetCapturedStdout();
  }
  void open() {
    if (!console->isVisible()) frame({'`'});
    release('`');
  }

  KeyboardHandler keys;
  LinuxHiResTimer clock;
  std::unique_ptr<Console> console;
};
