// GpuTimer: the GPU time of the scene's draws in each frame, from GL timer
// queries that are read a few frames later so that nothing waits for the GPU.
// Where the GL has no timer queries, or renders in software (whose queries miss
// its shading threads), each draw is timed between two glFinish calls instead.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <utility>

class GpuTimer {
public:
  // Chooses queries or the glFinish fallback; needs the GL context. The
  // fallback is announced once on the console.
  void init();
  // Deletes the queries and forgets every result.
  void shutdown();
  bool usesQueries() const { return queries; }

  // Brackets one frame; begin()/end() bracket each draw inside it (the four
  // views of a frame each draw the scene once).
  void beginFrame(long frame);
  void begin();
  void end();
  void endFrame();

  // The summed draw time of a frame, in milliseconds, once it is known.
  bool result(long frame, double& ms) const;
  // The latest known results, newest last (at most `count`).
  std::deque<std::pair<long, double> > const& results() const { return known; }

  // Milliseconds this frame's CPU spent waiting in the fallback's glFinish
  // brackets (0 with queries): not the frame's own CPU work.
  double waitedThisFrame() const { return waited; }
  // How many draws the last finished frame timed: a frame's figure covers
  // every draw of the scene in it, both sides of an A/B wipe included.
  int drawsLastFrame() const { return lastDraws; }

  // Times one draw at once, waiting for the GPU to finish it: for a measuring
  // pass that wants the figure now, not for every frame. Milliseconds.
  double timeNow(std::function<void()> const& draw);

  // Collects every pending query, waiting for the GPU: for a caller that is
  // about to use results at once (a measurement's end), not for every frame.
  void finishPending();

private:
  static int const ringSize = 8;    // frames in flight
  static int const drawsPerFrame = 8;
  static std::size_t const keep = 512;   // results remembered

  struct Slot {
    long frame = -1;  // -1: free
    int used = 0;
    GLuint ids[drawsPerFrame] = {};
    double cpuMs = 0;  // the fallback's sum
  };

  void collect(Slot& slot, bool wait);
  void record(long frame, double ms);

  bool ready = false;
  bool queries = false;
  bool active = false;
  Slot ring[ringSize];
  GLuint scratch = 0;  // the query of timeNow()
  Slot* current = nullptr;
  double drawStart = 0;
  double waited = 0;
  int lastDraws = 0;
  std::deque<std::pair<long, double> > known;
};
