// ConeTexture: generation (on a thread of its own) and upload of the cone map.
#include "ConeTexture.h"

#include <chrono>
#include <string>
#include <system_error>
#include <thread>

#include "GlGuards.h"
#include "HeightReadback.h"
#include "base/console.h"
#include "base/texture.h"

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void ConeTexture::invalidate() {
  stop();
  current = false;
}

bool ConeTexture::start(Texture const& normalMap, Texture const& heightMap) {
  if ((current && id) || making()) return true;
  std::string error;
  std::shared_ptr<Generation> next = std::make_shared<Generation>();
  next->field = readHeights(normalMap, heightMap, error);
  if (!next->field) return false;
  startTime = now();
  gen = next;
  auto const work = [next, k = kind] {
    next->ratios = ConeMap::generate(*next->field, 0, &next->rowsDone, &next->stopping, k, ConeMap::Reading::Linear);
    next->finished = true;
  };
  try {
    std::thread(work).detach();
  } catch (std::system_error const&) {
    work();  // no thread to be had: made here, the window waiting
  }
  return true;
}

bool ConeTexture::update(Texture const& normalMap, Texture const& heightMap) {
  if (!start(normalMap, heightMap)) return false;
  if (current && id) return true;
  while (!gen->finished) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  upload();
  return true;
}

double ConeTexture::progress() const {
  if (!gen || gen->field->height() <= 0) return 0.0;
  return static_cast<double>(gen->rowsDone.load()) / static_cast<double>(gen->field->height());
}

bool ConeTexture::poll() {
  if (current && id) return true;
  if (!gen || !gen->finished) return false;
  upload();
  return true;
}

void ConeTexture::upload() {
  std::vector<uint16_t> const packed = ConeMap::pack(gen->ratios);
  int const width = gen->field->width(), height = gen->field->height();
  TextureBindingGuard guard;
  if (!id) glGenTextures(1, &id);
  guard.bind(id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE16, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_SHORT, packed.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  current = true;
  w = width;
  h = height;
  con.print("cone map: %dx%d made in %.2f s (%s cones)\n", w, h, now() - startTime, ConeMap::name(kind));
  gen.reset();
}

void ConeTexture::stop() {
  if (gen) gen->stopping = true;
  gen.reset();
}

void ConeTexture::unload() {
  stop();
  if (id) glDeleteTextures(1, &id);
  id = 0;
  current = false;
}
