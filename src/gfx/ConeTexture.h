// ConeTexture: the cone map of the current heights as a 16-bit texture (the
// square root of each texel's cone ratio in R, GL_LUMINANCE16, after the 3x3
// minimum filter that makes a linear read safe; linear, repeating, no
// mipmaps), of the kind asked for (relaxed or conservative), made from the
// current heights (HeightReadback) when first needed after each change of
// them or of the kind, on a thread of its own so that the window keeps drawing meanwhile.
#pragma once

#include <GL/gl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "ConeMap.h"
#include "HeightField.h"

class Texture;

class ConeTexture {
public:
  ConeTexture() = default;
  ~ConeTexture() { stop(); }
  ConeTexture(ConeTexture const&) = delete;
  ConeTexture& operator=(ConeTexture const&) = delete;

  // The heights changed: the map is made again when next asked for (a
  // generation under way is dropped).
  void invalidate();
  // The kind of cone made (relaxed by default); a change makes the map again
  // when next asked for.
  void setKind(ConeMap::Kind k) {
    if (k != kind) invalidate();
    kind = k;
  }
  ConeMap::Kind coneKind() const { return kind; }
  // Makes the map from the heights HeightReadback finds unless it is current, and waits
  // for it; says on the console how long that took. False when there are no
  // heights or the generation was cancelled.
  bool update(Texture const& normalMap, Texture const& heightMap);
  // Starts making the map on a thread of its own unless it is current or
  // under way; poll() uploads it once done. False when there are no heights.
  bool start(Texture const& normalMap, Texture const& heightMap);
  // Uploads a finished generation (on the GL's thread); true once the map is ready.
  bool poll();
  bool making() const { return gen != nullptr; }
  // The share of the generation done, 0 to 1.
  double progress() const;
  // Stops a generation under way; the map stays as it was (not current).
  void cancel() { stop(); }
  bool ready() const { return current && id != 0; }
  // The GL name, 0 when there is none.
  GLuint name() const { return id; }
  // The map's size in texels, 0 x 0 when there is none.
  int width() const { return ready() ? w : 0; }
  int height() const { return ready() ? h : 0; }
  void unload();

private:
  // One generation's heights, result, progress and flags, shared with its
  // thread. A generation that is stopped is left to end by itself on its own
  // data: its search may be in a stretch it cannot leave at once (setting up
  // a large map's pyramids), and a stop must never wait for that.
  struct Generation {
    std::unique_ptr<HeightField> field;
    std::vector<float> ratios;
    std::atomic<long> rowsDone{0};
    std::atomic<bool> stopping{false};
    std::atomic<bool> finished{false};
  };

  void stop();
  void upload();

  GLuint id = 0;
  bool current = false;
  ConeMap::Kind kind = ConeMap::Kind::Relaxed;
  int w = 0, h = 0;
  std::shared_ptr<Generation> gen;  // the generation under way, if any
  double startTime = 0;
};
