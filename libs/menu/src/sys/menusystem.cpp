// pwn::MenuSystem: the per-frame input pass (collection, mouse dispatch, capture,
// focus, raising, keys), the clipped drawing pass and the glyph measuring.
#include "menu/menusystem.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>

#include "base/console.h"
#include "base/exception.h"
#include "base/texturebinding.h"
#include "base/texturesystem.h"
#include "math/assert.h"
#include "menu/menuroot.h"
#include "menu/object.h"
#include "system/display.h"
#include "system/keyboard.h"
#include "system/mouse.h"

namespace pwn {

namespace {

// A dispatch response outside 0 to 2 is a programming error.
[[noreturn]] void unknownResponse(int r, Object* obj) {
  con.print("menu got an unknown response %d from menu ", r);
  con << static_cast<void const*>(obj);
  con << " preMouseEvent\n";
  ASSERT(false);
  std::abort();
}

// True when obj is `ancestor` or lies inside it.
bool isWithin(Object* obj, Object* ancestor) {
  for (Object* o = obj; o; o = o->parent.get())
    if (o == ancestor) return true;
  return false;
}

}  // namespace

MenuSystem::MenuSystem()
    : root(gc::collector().createPtr<MenuRoot>(nullptr)),
      focus(gc::collector().createPtr<Object>(nullptr)),
      clickTarget(gc::collector().createPtr<Object>(nullptr)),
      capture(gc::collector().createPtr<Object>(nullptr)) {
  reset();
}

MenuSystem::~MenuSystem() { shutdown(); }

void MenuSystem::init() {
  followConsoleFont();
  root = new MenuRoot;
}

void MenuSystem::followConsoleFont() {
  fontTex.texture = con.font.id;
  calcFontWidths();
  fontRevision = con.fontRevision();
}

void MenuSystem::shutdown() {
  root = nullptr;
  gc::collector().collect();
  reset();
}

void MenuSystem::reset() {
  root = nullptr;
  focus = nullptr;
  clickTarget = nullptr;
  capture = nullptr;
  skipCaptured = true;
  keyTrapped = false;
}

Object* MenuSystem::getRoot() { return root.get(); }

_vec<2, float> MenuSystem::getSize() {
  MenuRoot* r = root.get();
  return r ? r->size : _vec<2, float>(0, 0);
}

FontTable& MenuSystem::getFont() { return fontTex; }
bool MenuSystem::keyWasTrapped() { return keyTrapped; }
Object* MenuSystem::getFocus() { return focus.get(); }

void MenuSystem::setFocus(Object* obj) {
  if (Object* old = focus.get()) old->onBlur();
  focus = obj;
  if (obj) obj->onFocus();
}

void MenuSystem::setCapture(Object* obj) { capture = obj; }
Object* MenuSystem::getCapture() { return capture.get(); }
void MenuSystem::clearCapture() { capture = nullptr; }

void MenuSystem::releaseSubtree(Object* obj) {
  if (!obj) return;
  if (isWithin(capture.get(), obj)) capture = nullptr;
  if (isWithin(clickTarget.get(), obj)) clickTarget = nullptr;
  if (isWithin(focus.get(), obj)) setFocus(nullptr);
}

bool MenuSystem::getInput() {
  gc::collector().collect();
  // Laying text out measures it with the glyph widths of the font in use.
  if (con.fontRevision() != fontRevision) followConsoleFont();
  MenuRoot* r = root.get();
  if (!r) return false;

  MouseEvent event = MouseEvent::fromButtonStates(mouse.getButtonState(0), mouse.getButtonState(1),
                                                  mouse.getButtonState(2));
  clickTarget = nullptr;

  _vec<2, int> const& win = disp.getSize();
  _vec<2, float> const& fpos = mouse.getFPos();
  _vec<2, float> m(fpos.x * static_cast<float>(win.x), (1.0f - fpos.y) * static_cast<float>(win.y));

  bool handled = false;
  if (Object* cap = capture.get()) {
    // The captured object gets the pointer in its parent's content coordinates:
    // the pointer in the root's content coordinates (the root may be scaled),
    // less the position of that parent's content origin within the root.
    _vec<2, float> inRoot = m - r->pos;
    inRoot.x /= r->scale.x;
    inRoot.y /= r->scale.y;
    inRoot += r->contentOffset;
    _vec<2, float> at = cap == r ? m : inRoot - cap->getAbsPos() + cap->pos - cap->contentOffset;
    skipCaptured = false;
    handled = processMouseEvent(cap, event, at) != 0;
    skipCaptured = true;
  }
  if (!handled) handled = processMouseEvent(r, event, m) != 0;

  // A press moves the focus to the deepest object it reached, when that object
  // is still in the tree (a handler may have closed it during the pass).
  Object* target = clickTarget.get();
  if (event.has(MouseEvent::primaryPressed) && target && target != focus.get() &&
      isWithin(target, r))
    target->setFocus();

  if (Object* top = r->mouseChild.get()) setTopmost(top);
  updateTopmostPriority(r);

  keyTrapped = false;
  if (!focus.get()) return handled;

  bool used = false;
  for (int i = 0; i < kbd.getKeyDownQueueSize(); ++i) {
    int code = kbd.getKeyDownQueue(i);
    if ((kbd.getKeyState(Key::LSHIFT) || kbd.getKeyState(Key::RSHIFT)) && code >= 0 &&
        code < Key::keyCount)
      code = Key::addShift[code];
    if (focus->doKeyPress(code)) used = true;
    if (!focus.get()) break;
  }
  if (used) {
    keyTrapped = true;
    return true;
  }
  return handled;
}

int MenuSystem::processMouseEvent(Object* obj, MouseEvent event, _vec<2, float> pos) {
  if (skipCaptured && obj == capture.get()) return 0;

  _vec<2, float> local = pos - obj->pos;
  local.x /= obj->scale.x;
  local.y /= obj->scale.y;
  obj->mouseChild = nullptr;

  int r = obj->preMouseEvent(event, local);
  if (r == 1) return 0;
  if (r == 2) return 2;
  if (r != 0) unknownResponse(r, obj);

  if (Object* p = obj->parent.get()) p->mouseChild = obj;
  _vec<2, float> inner = local + obj->contentOffset;
  if (event.has(MouseEvent::primaryPressed)) clickTarget = obj;

  // Hit test from the topmost child down. A handler may change this list, so
  // walk a snapshot and skip children that have left it meanwhile; nothing is
  // deleted during a pass (collections run only at its start).
  if (!obj->children.empty()) {
    std::vector<Object*> order;
    order.reserve(obj->children.size());
    for (auto it = obj->children.rbegin(); it != obj->children.rend(); ++it)
      if (Object* ch = it->get()) order.push_back(ch);
    for (Object* ch : order) {
      if (ch->parent.get() != obj) continue;
      _vec<2, float> d = inner - ch->pos;
      if (!(0 < d.x && d.x < ch->size.x && 0 < d.y && d.y < ch->size.y)) continue;
      int cr = processMouseEvent(ch, event, inner);
      if (cr == 0) continue;
      if (cr == 1 || cr == 2) return 1;
      unknownResponse(cr, ch);
    }
  }
  return obj->mouseEvent(event, local) ? 1 : 0;
}

void MenuSystem::setTopmost(Object* obj) {
  Object* p = obj ? obj->parent.get() : nullptr;
  if (!p) return;
  auto it = std::find_if(p->children.begin(), p->children.end(),
                         [obj](gc::Pointer<Object> const& c) { return c.target == obj; });
  if (it == p->children.end()) {
    std::fprintf(stderr, "tried to reposition a child in a parent list when the child wasn't there\n");
    return;
  }
  p->children.erase(it);
  p->children.push_back(p->createPtr<Object>(obj));
}

void MenuSystem::updateTopmostPriority(Object* obj) {
  for (;;) {
    Object* raise = nullptr;
    for (auto const& c : obj->children) {
      Object* ch = c.get();
      if (ch && ch->topmostPriority != 0) {
        raise = ch;
        break;
      }
    }
    if (!raise) return;
    raise->topmostPriority = 0;
    setTopmost(raise);
  }
}

void MenuSystem::display() {
  // A replaced console font has deleted the texture that was drawn with.
  if (con.fontRevision() != fontRevision) followConsoleFont();
  MenuRoot* r = root.get();
  if (r) r->refreshSize();

  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

  _vec<2, int> const& win = disp.getSize();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, win.x, win.y, 0, -1000, 1000);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();

  for (int unit = TextureSystem::getNumUnits() - 1; unit >= 0; --unit) {
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
    glDisable(GL_TEXTURE_2D);
  }
  glEnable(GL_TEXTURE_2D);

  if (r) {
    glEnable(GL_BLEND);
    menuCount = 0;
    doDisplay(r, _box<2, float>(0, 0, static_cast<float>(win.x), static_cast<float>(win.y)));
    glDisable(GL_BLEND);
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

void MenuSystem::doDisplay(Object* obj, _box<2, float> clip) {
  menuCount = static_cast<int>(menuCount) + 1;
  clip -= obj->pos;
  if (!(obj->size.x > clip.min.x && clip.max.x > 0 && obj->size.y > clip.min.y && clip.max.y > 0))
    return;
  clip.min.x = std::max(clip.min.x, 0.0f);
  clip.min.y = std::max(clip.min.y, 0.0f);
  clip.max.x = std::min(clip.max.x, obj->size.x);
  clip.max.y = std::min(clip.max.y, obj->size.y);

  glPushMatrix();
  glTranslatef(obj->pos.x, obj->pos.y, 0);
  GLdouble const planes[4][4] = {{0, 1, 0, -clip.min.y},
                                 {0, -1, 0, clip.max.y},
                                 {1, 0, 0, -clip.min.x},
                                 {-1, 0, 0, clip.max.x}};
  for (int i = 0; i < 4; ++i) {
    glClipPlane(static_cast<GLenum>(GL_CLIP_PLANE0 + i), planes[i]);
    glEnable(static_cast<GLenum>(GL_CLIP_PLANE0 + i));
  }
  glScalef(obj->scale.x, obj->scale.y, 1);

  bool drawn = obj->display();
  obj->postDisplay();
  for (int i = 0; i < 4; ++i) glDisable(static_cast<GLenum>(GL_CLIP_PLANE0 + i));

  if (drawn) {
    glTranslatef(-obj->contentOffset.x, -obj->contentOffset.y, 0);
    _box<2, float> inner = clip + obj->contentOffset;
    for (auto const& c : obj->children)
      if (Object* ch = c.get()) doDisplay(ch, inner);
  }
  glPopMatrix();
}

void MenuSystem::calcFontWidths() {
  if (fontTex.texture == 0) {
    fontTex.resetGlyphs();
    return;
  }
  GLenum err = glGetError();
  if (err != GL_NO_ERROR) con.print("glGetTexImage glGetError entering function is %d\n", static_cast<int>(err));

  unsigned char* buffer = nullptr;
  try {
    // The sheet is bound for the measuring only; the caller's texture comes back.
    ScopedTextureBinding bound(GL_TEXTURE_2D, fontTex.texture);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    if ((err = glGetError()) != GL_NO_ERROR)
      throw Exception() << "glGetTexLevelParameteriv width raised gl error " << err;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if ((err = glGetError()) != GL_NO_ERROR)
      throw Exception() << "glGetTexLevelParameteriv height raised gl error " << err;

    // A sheet narrower or lower than 16 cells has no glyph cells to measure
    // (and would divide by a zero cell width).
    if (width < 16 || height < 16)
      throw Exception() << "font texture too small: w=" << width << " h=" << height;
    std::size_t const bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    buffer = new (std::nothrow) unsigned char[bytes];
    if (!buffer)
      throw Exception() << "failed to alloc buffer for size=" << bytes << ": w=" << width
                        << " h=" << height << " components=" << 4;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, buffer);

    int const cw = width / 16, ch = height / 16;
    for (int r = 0; r < 16; ++r) {
      for (int k = 0; k < 16; ++k) {
        int const g = 16 * r + k;
        if (g >= FontTable::glyphCount) continue;
        int left = 0, right = 9;
        if (g != 0) {
          int minX = 16, maxX = -1;
          for (int x = 0; x < cw; ++x) {
            for (int y = 0; y < ch; ++y) {
              std::size_t const px = (static_cast<std::size_t>(r * ch + y) * static_cast<std::size_t>(width) +
                                      static_cast<std::size_t>(k * cw + x)) * 4;
              if (buffer[px] != 0) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
              }
            }
          }
          right = maxX + 2;
          left = std::max(minX - 1, 0);
        }
        right = std::min(right, cw);
        fontTex.glyphs[g].start = static_cast<float>(left) / static_cast<float>(cw);
        fontTex.glyphs[g].end = static_cast<float>(right) / static_cast<float>(cw);
      }
    }
  } catch (Exception const& e) {
    std::printf("glGetTexImage: %s\n", e.message().c_str());
    std::fflush(stdout);
  }
  delete[] buffer;
}

}  // namespace pwn
