// The SDL backend in a real offscreen window: context creation, the scancode
// table, events reaching the keyboard, mouse and display one per pass, the end
// of the loop, the program arguments; and the GL extension registry on it.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdlsystem/sdlsystem.h"
#include "system/glext.h"
#include "testsupport/glcontext.h"
#include "testsupport/sdlevents.h"

using namespace testevents;

namespace {

// Per frame the state of 'a' and whether the pass catches up; over all frames every key queued.
std::vector<int> keyA, queued;
std::vector<bool> catchingUp;
char const* chosen = "";  // the extension string while the hook is set

void recordFrame() {
  keyA.push_back(kbd.getKeyState('a'));
  catchingUp.push_back(sys.isCatchingUp());
  for (int i = 0; i < kbd.getKeyDownQueueSize(); ++i) queued.push_back(kbd.getKeyDownQueue(i));
}

class Backend : public ::testing::Test {
protected:
  void SetUp() override {
    sdlKbd.reset();
    sdlMouse.reset();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // window-creation events
    keyA.clear();
    queued.clear();
    sdlSys.setLoopFunc(recordFrame);
  }
  void TearDown() override {
    sdlSys.setLoopFunc(nullptr);
    gl_extensionStringHook = nullptr;
  }
  static void passes(int n) { while (n-- > 0) sdlSys.pass(); }
  GLTestContext ctx{256, 192};
};

// The window opens double-buffered at the asked size with the deepest depth buffer
// there is; a resize reaches the display; a close or quit ends the loop after its pass.
TEST_F(Backend, WindowContextAndTheEndOfTheLoop) {
  EXPECT_TRUE(sdlSys.doubleBuffered);  // presents by swapping (the offscreen driver has one buffer)
  GLint depth = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_TRUE(depth >= 24 && depth == sdlSys.depthBits) << depth;
  SDL_SetWindowSize(sdlSys.getWindow(), 320, 200);
  drain();
  EXPECT_EQ(disp.getSize(), (_vec<2, int>(320, 200)));
  for (Uint32 type : {Uint32(SDL_WINDOWEVENT), Uint32(SDL_QUIT)}) {
    SDL_Event ev{type};
    ev.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&ev);
    keyA.clear();
    EXPECT_FALSE(sdlSys.pass() || sdlSys.pass());
    EXPECT_EQ(keyA.size(), 1u);
    sdlSys.exitRequested = false;
  }
}

// Key positions to engine codes (0 for keys the engine lacks); one event a pass;
// a held key's repeats and ignored events take no pass; a pass with keys behind it catches up.
TEST_F(Backend, Keys) {
#define S(name) SDL_SCANCODE_##name
  struct Row { SDL_Scancode sc; int code; } const rows[] = {
      {S(A), 'a'}, {S(Z), 'z'}, {S(1), '1'}, {S(9), '9'}, {S(0), '0'}, {S(MINUS), '-'}, {S(EQUALS), '='},
      {S(LEFTBRACKET), '['}, {S(RIGHTBRACKET), ']'}, {S(BACKSLASH), '\\'}, {S(NONUSHASH), '\\'},
      {S(SEMICOLON), ';'}, {S(APOSTROPHE), '\''}, {S(GRAVE), '`'}, {S(COMMA), ','}, {S(PERIOD), '.'},
      {S(SLASH), '/'}, {S(RETURN), Key::RETURN}, {S(KP_ENTER), Key::RETURN}, {S(TAB), Key::TAB},
      {S(SPACE), Key::SPACE}, {S(BACKSPACE), Key::BACKSPACE}, {S(ESCAPE), Key::ESC}, {S(DELETE), Key::DEL},
      {S(LSHIFT), Key::LSHIFT}, {S(RSHIFT), Key::RSHIFT}, {S(LCTRL), Key::LCTRL}, {S(RCTRL), Key::RCTRL},
      {S(LALT), Key::LALT}, {S(RALT), Key::RALT}, {S(LGUI), Key::LMETA}, {S(RGUI), Key::RMETA},
      {S(F1), Key::F1}, {S(F12), Key::F12}, {S(F13), Key::F13}, {S(F16), Key::F16}, {S(UP), Key::UP},
      {S(DOWN), Key::DOWN}, {S(LEFT), Key::LEFT}, {S(RIGHT), Key::RIGHT}, {S(PAGEUP), Key::PAGE_UP},
      {S(PAGEDOWN), Key::PAGE_DOWN}, {S(HOME), Key::HOME}, {S(END), Key::END}, {S(INSERT), Key::INSERT},
      {S(KP_0), Key::KP0}, {S(KP_1), Key::KP1}, {S(KP_9), Key::KP9}, {S(CAPSLOCK), Key::CAPSLOCK},
      {S(F17), 0}, {S(MUTE), 0}};
#undef S
  std::vector<int> expected;
  for (Row const& r : rows) {
    key(SDL_KEYDOWN, r.sc);
    key(SDL_KEYUP, r.sc);
    expected.push_back(r.code);
  }
  drain();
  EXPECT_EQ(queued, expected);
  keyA.clear(), catchingUp.clear();
  key(SDL_KEYDOWN, SDL_SCANCODE_A);
  for (int i = 0; i < 100; ++i) key(SDL_KEYDOWN, SDL_SCANCODE_A, true);
  window(SDL_WINDOWEVENT_FOCUS_GAINED);
  key(SDL_KEYUP, SDL_SCANCODE_A);
  passes(3);
  EXPECT_EQ(keyA, (std::vector<int>{2, 3, 0}));
  EXPECT_EQ(catchingUp, (std::vector<bool>{true, false, false}));  // the key-up waited behind the first
}

// Buttons carry their position (y flipped), motion the whole button mask; a click
// with command held is a secondary click. Natural scrolling gives flipped steps.
TEST_F(Backend, Mouse) {
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
  passes(1);
  EXPECT_TRUE(mouse.getButtonState(0) == 2 && mouse.getPos() == (_vec<2, int>(10, 171)));
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 11, 20);
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 12, 20);
  passes(2);
  EXPECT_EQ(mouse.getButtonState(1) * 10 + mouse.getButtonState(2), 12);
  motion(100, 0, SDL_BUTTON_LMASK);
  passes(1);
  EXPECT_EQ(mouse.getButtonState(0) * 100 + mouse.getButtonState(1) * 10 + mouse.getButtonState(2), 133);
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(100, 191)));
  button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 0);
  key(SDL_KEYDOWN, SDL_SCANCODE_LGUI);
  button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5);
  passes(3);
  EXPECT_EQ(mouse.getButtonState(0) * 10 + mouse.getButtonState(1), 2);
  for (auto [steps, flipped] : {std::pair{2, false}, {3, true}, {0, false}}) wheel(steps, flipped);
  int dz[3];
  for (int& d : dz) passes(1), d = mouse.getDZ();
  EXPECT_EQ(dz[0] * 100 + dz[1] * 10 + dz[2], 200 - 30);
}

// Leaving the window puts the pointer two pixels past the edge nearest to
// where it was (y flipped), outside every viewport; entering brings it back.
TEST_F(Backend, PointerLeavesPastTheNearestEdge) {
  using P = _vec<2, int>;
  struct { int x, y; P out; } const rows[] = {
      {10, 100, P(-2, 91)}, {250, 100, P(257, 91)}, {100, 3, P(100, 193)}, {100, 190, P(100, -2)}};
  for (auto const& r : rows) {
    motion(r.x, r.y, 0);
    window(SDL_WINDOWEVENT_LEAVE);
    passes(2);
    EXPECT_EQ(mouse.getPos(), r.out) << r.x << ' ' << r.y;
  }
  window(SDL_WINDOWEVENT_ENTER);
  passes(1);
  P const p = mouse.getPos();
  EXPECT_TRUE(p.x >= 0 && p.x < 256 && p.y >= 0 && p.y < 192) << p.x << ' ' << p.y;
}

// A burst of motion is one event, with the last position and button mask; the
// key behind it arrives in the next pass, and motion is not merged across it.
TEST_F(Backend, MotionBurstsMergeIntoTheLatest) {
  for (int i = 0; i < 1000; ++i) motion(i % 200, 7, i == 999 ? SDL_BUTTON_LMASK : 0);
  key(SDL_KEYDOWN, SDL_SCANCODE_A);
  motion(50, 60, 0);
  motion(51, 60, 0);
  passes(1);
  EXPECT_TRUE(mouse.getPos() == (_vec<2, int>(199, 184)) && mouse.getButtonState(0) == 2);
  passes(2);
  EXPECT_EQ(keyA, (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(mouse.getPos(), (_vec<2, int>(51, 131)));
}

// A plain substring search to the end of the string: prefixes and text across
// names are found, text running past the end is not; an empty string has
// nothing. The flags of optional extensions are set as found, never cleared.
TEST_F(Backend, ExtensionSearchAndTheFlagsFound) {
  std::string const exts = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  EXPECT_TRUE(gl_hasExt(exts.substr(exts.rfind(' ', exts.size() - 2) + 1).c_str()));
  gl_extensionStringHook = [] { return chosen; };
  chosen = "GL_EXT_texture3D GL_ARB_foo";
  EXPECT_TRUE(gl_hasExt("GL_EXT_texture") && gl_hasExt("3D GL_ARB") && gl_hasExt(""));
  EXPECT_FALSE(gl_hasExt("GL_ARB_foobar") || gl_hasExt(nullptr));
  char const* const strings[] = {"", "GL_ARB_texture_cube_map GL_ARB_texture_env_add GL_SGIS_generate_mipmap "
                                     "GL_EXT_separate_specular_color GL_ARB_texture_env_combine", ""};
  for (int i = 0; i < 3; ++i) {
    chosen = strings[i];
    init_ext();
    EXPECT_EQ(found_GL_ARB_texture_cube_map + found_GL_ARB_texture_env_add + found_GL_SGIS_generate_mipmap +
                  found_GL_EXT_separate_specular_color + found_GL_ARB_texture_env_combine, i ? 5 : 0);
  }
  EXPECT_FALSE(gl_hasExt(""));
  gl_extensionStringHook = [] { return static_cast<char const*>(nullptr); };
  EXPECT_FALSE(gl_hasExt("GL_ARB_foo"));
}

// -2 when the extension is absent (nothing bound), -1 when every pair was
// bound, else the index of the first pair that was not (and nothing after it).
TEST_F(Backend, ExtensionLoadExtResultCodes) {
  void* const untouched = reinterpret_cast<void*>(1);
  void *a = untouched, *b = nullptr, *c = untouched;
  testing::internal::CaptureStderr();
  EXPECT_EQ(load_ext("GL_NOT_an_extension_of_any_driver", &a, "glActiveTextureARB", nullptr), -2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "failed to find extension string GL_NOT_an_extension_of_any_driver\n");
  EXPECT_EQ(a, untouched);
  EXPECT_EQ(load_ext("GL_ARB_shader_objects", &a, "glCreateShaderObjectARB", &b, "glCompileShaderARB", nullptr), -1);
  EXPECT_TRUE(a && b);
  EXPECT_EQ(load_ext("GL_ARB_shader_objects", &a, "glLinkProgramARB", &b, "noSuchEntryPoint", &c, "glEnd", nullptr), 1);
  EXPECT_TRUE(a && !b && c == untouched);
  EXPECT_EQ(load_ext("GL_ARB_shader_objects", &a, nullptr), 0);  // a pair without a name
  EXPECT_EQ(sysGLGetProcAddress(nullptr), nullptr);
}

}  // namespace

// The arguments belong to the process: a shut-down keeps them.
TEST(BackendArgs, RecordedInOrderAndKeptOverShutdown) {
  SDLSystem s;
  s.addArg("/path/prog");
  s.addArg("--frames");
  s.shutdown();
  EXPECT_TRUE(s.getArgCount() == 2 && s.getArg(1) == "--frames");
  EXPECT_EQ(s.getArg(2) + s.getArg(-1), "");
}
