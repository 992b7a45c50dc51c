// A test fixture that drives the menu system frame by frame with real mouse,
// keyboard and display handlers, the way the platform backend feeds them.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "menu/menu.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

class MenuHarness : public ::testing::Test {
protected:
  // The window's size; powers of two keep the pixel <-> GUI coordinate
  // conversions exact. A derived fixture may set others in its constructor.
  int W = 256;
  int H = 128;

  void SetUp() override {
    disp.setImp(&dispImp);
    mouse.setImp(&mouseImp);
    kbd.setImp(&kbdImp);
    dispImp.resize(W, H);
    dispImp.update();
    // Without a console font no GL call is made: every glyph is one cell wide.
    pwn::menuSys->init();
    root = pwn::menuSys->getRoot();
    ASSERT_NE(root, nullptr);
    // The drawing pass sizes the root to the window; these tests draw nothing.
    static_cast<pwn::MenuRoot*>(root)->refreshSize();
  }

  void TearDown() override {
    pwn::menuSys->shutdown();
    disp.setImp(nullptr);
    mouse.setImp(nullptr);
    kbd.setImp(nullptr);
  }

  // Queues key presses for the next frame (each pressed and released).
  void type(std::initializer_list<int> keys) {
    for (int k : keys) {
      kbdImp.keyDown(static_cast<Key::Key_t>(k));
      kbdImp.keyUp(static_cast<Key::Key_t>(k));
    }
  }

  // GUI units per pixel from now on: the root's scale. With 4, points can be
  // given in quarter units.
  void setUnit(float u) {
    unit = u;
    root->setScale(pwn::Vec2(u, u));
  }

  // One frame with the pointer at GUI point (x, y) (whole pixels) and the
  // given buttons down; returns what the input pass returned.
  bool frame(float x, float y, bool primary = false, bool secondary = false) {
    // GUI y = window height - handler y = raw y + 1 (the handler flips y).
    mouseImp.setCursorPos(static_cast<int>(x * unit), static_cast<int>(y * unit) - 1);
    mouseImp.setButtonPress(PMouseHandler::PRIMARY, primary);
    mouseImp.setButtonPress(PMouseHandler::SECONDARY, secondary);
    dispImp.update();
    mouseImp.update();
    kbdImp.preUpdate();
    bool used = pwn::menuSys->getInput();
    kbdImp.postUpdate();
    return used;
  }

  // A new widget added to the root (drawn on top of the earlier ones).
  template <class T, class... Args>
  T* add(Args&&... args) {
    T* t = new T(std::forward<Args>(args)...);
    root->addChild(t);
    return t;
  }

  // A full click at (x, y): press, then release, on two frames.
  void click(float x, float y) {
    frame(x, y, true);
    frame(x, y, false);
  }

  Display dispImp;
  MouseHandler mouseImp;
  KeyboardHandler kbdImp;
  pwn::Object* root = nullptr;
  float unit = 1;
};

// Records the text of every change notification of the fields it listens to.
struct FieldLog : pwn::TextListener {
  void callback_onTextChange(pwn::TextField* f) override { texts.push_back(f->getText()); }
  std::vector<std::string> texts;
};

// A widget of type Base that counts the live instances of its kind.
template <class Base>
struct Counted : Base {
  template <class... Args>
  explicit Counted(Args&&... args) : Base(std::forward<Args>(args)...) {
    ++alive;
  }
  ~Counted() override { --alive; }
  static inline int alive = 0;
};
