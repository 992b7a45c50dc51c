// ConeTexture: generation (on a thread of its own) and upload of the cone map.
#include "ConeTexture.h"

#include <chrono>
#include <string>

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
  field = readHeights(normalMap, heightMap, error);
  if (!field) return false;
  rowsDone = 0;
  stopping = false;
  finished = false;
  startTime = now();
  worker = std::thread([this, k = kind] {
    ratios = ConeMap::generate(*field, 0, &rowsDone, &stopping, k, ConeMap::Reading::Linear);
    finished = true;
  });
  return true;
}

bool ConeTexture::update(Texture const& normalMap, Texture const& heightMap) {
  if (!start(normalMap, heightMap)) return false;
  if (current && id) return true;
  worker.join();
  upload();
  return true;
}

double ConeTexture::progress() const {
  if (!field || field->height() <= 0) return 0.0;
  return static_cast<double>(rowsDone.load()) / static_cast<double>(field->height());
}

bool ConeTexture::poll() {
  if (current && id) return true;
  if (!making() || !finished) return false;
  worker.join();
  upload();
  return true;
}

void ConeTexture::upload() {
  std::vector<uint16_t> const packed = ConeMap::pack(ratios);
  int const width = field->width(), height = field->height();
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
  ratios.clear();
  ratios.shrink_to_fit();
  field.reset();
}

void ConeTexture::stop() {
  stopping = true;
  if (worker.joinable()) worker.join();
  stopping = false;
  finished = false;
  field.reset();
}

void ConeTexture::unload() {
  stop();
  if (id) glDeleteTextures(1, &id);
  id = 0;
  current = false;
}
