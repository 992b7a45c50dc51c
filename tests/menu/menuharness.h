// MenuHarness: drives the menu system frame by frame with real mouse, keyboard and display handlers.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "menu/menu.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

class MenuHarness : public ::testing::Test {
protected:
  // The window's size (powers of two keep conversions exact); a derived fixture may set others.
  int W = 256, H = 128;

  void SetUp() override {
    disp.setImp(&dispImp);
    mouse.setImp(&mouseImp);
    kbd.setImp(&kbdImp);
    dispImp.resize(W, H);
    dispImp.update();
    pwn::menuSys->init();  // without a console font every glyph is one cell wide
    root = pwn::menuSys->getRoot();
    ASSERT_NE(root, nullptr);
    static_cast<pwn::MenuRoot*>(root)->refreshSize();  // as the drawing pass would
  }
  void TearDown() override {
    pwn::menuSys->shutdown();
    disp.setImp(nullptr);
    mouse.setImp(nullptr);
    kbd.setImp(nullptr);
  }
  // Queues key presses (each pressed and released) for the next frame.
  void type(std::initializer_list<int> keys) {
    for (int k : keys) {
      kbdImp.keyDown(static_cast<Key::Key_t>(k));
      kbdImp.keyUp(static_cast<Key::Key_t>(k));
    }
  }
  // Sets the unit (the root's scale): with 4, points are in quarter units.
  void setUnit(float u) {
    unit = u;
    root->setScale(pwn::Vec2(u, u));
  }
  // One frame with the pointer at GUI point (x, y) and the given buttons down;
  // returns what the input pass returned.
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
  void click(float x, float y) {  // press, then release
    frame(x, y, true);
    frame(x, y, false);
  }
  // A new widget added to the root, on top of the earlier ones.
  template <class T, class... Args>
  T* add(Args&&... args) {
    T* t = new T(std::forward<Args>(args)...);
    root->addChild(t);
    return t;
  }

  Display dispImp;
  MouseHandler mouseImp;
  KeyboardHandler kbdImp;
  pwn::Object* root = nullptr;
  float unit = 1;  // GUI units per pixel
};

// A widget of type Base that counts the live instances of its kind.
template <class Base>
struct Counted : Base {
  template <class... Args>
  explicit Counted(Args&&... args) : Base(std::forward<Args>(args)...) { ++alive; }
  ~Counted() override { --alive; }
  static inline int alive = 0;
};
