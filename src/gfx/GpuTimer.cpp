// GpuTimer: the query ring, the glFinish fallback and the results.
#include "GpuTimer.h"

#include <GL/glext.h>

#include <chrono>
#include <cstring>
#include <string>

#include "base/console.h"

namespace {

double nowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool hasExtension(char const* name) {
  char const* all = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
  if (!all) return false;
  size_t const n = std::strlen(name);
  for (char const* p = std::strstr(all, name); p; p = std::strstr(p + 1, name))
    if ((p == all || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  return false;
}

}  // namespace

void GpuTimer::init() {
  shutdown();
  char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
  std::string const name = renderer ? renderer : "";
  // A software rasteriser shades on CPU threads that its timer queries do not
  // cover: there the queries report a fraction of the work, or none.
  bool const software = name.find("llvmpipe") != std::string::npos || name.find("softpipe") != std::string::npos ||
                        name.find("SwiftShader") != std::string::npos;
  bool const hasQueries = hasExtension("GL_ARB_timer_query") || hasExtension("GL_EXT_timer_query");
  queries = hasQueries && !software;
  if (queries) {
    for (Slot& s : ring) glGenQueries(drawsPerFrame, s.ids);
    glGenQueries(1, &scratch);
  } else {
    // Timer queries of a software renderer miss its shading threads.
    con << "GPU timing: " << (hasQueries ? "a software renderer" : "no timer queries")
        << "; draws are timed between two glFinish calls\n";
  }
  ready = true;
}

void GpuTimer::shutdown() {
  if (ready && queries) {
    for (Slot& s : ring) glDeleteQueries(drawsPerFrame, s.ids);
    glDeleteQueries(1, &scratch);
  }
  scratch = 0;
  for (Slot& s : ring) s = Slot();
  known.clear();
  lastDraws = 0;
  current = nullptr;
  active = false;
  ready = false;
}

void GpuTimer::beginFrame(long frame) {
  if (!ready) return;
  for (Slot& s : ring)
    if (s.frame >= 0) collect(s, false);
  Slot& slot = ring[static_cast<size_t>(frame) % ringSize];
  // A slot still pending after a whole ring of frames: the GPU is that far
  // behind, so this one wait is the least that keeps every result.
  if (slot.frame >= 0) collect(slot, true);
  slot.frame = frame;
  slot.used = 0;
  slot.cpuMs = 0;
  waited = 0;
  current = &slot;
}

void GpuTimer::begin() {
  if (!current || active || current->used >= drawsPerFrame) return;
  active = true;
  if (queries) {
    glBeginQuery(GL_TIME_ELAPSED, current->ids[current->used]);
  } else {
    glFinish();
    drawStart = nowMs();
  }
}

void GpuTimer::end() {
  if (!current || !active) return;
  active = false;
  if (queries) {
    glEndQuery(GL_TIME_ELAPSED);
  } else {
    glFinish();
    double const ms = nowMs() - drawStart;
    current->cpuMs += ms;
    waited += ms;
  }
  ++current->used;
}

void GpuTimer::endFrame() {
  if (!current) return;
  lastDraws = current->used;
  if (!queries) {
    if (current->used > 0) record(current->frame, current->cpuMs);
    current->frame = -1;
  } else if (current->used == 0) {
    current->frame = -1;
  }
  current = nullptr;
}

void GpuTimer::collect(Slot& slot, bool wait) {
  if (slot.frame < 0 || &slot == current) return;
  if (slot.used == 0) {
    slot.frame = -1;
    return;
  }
  if (!wait) {
    GLuint available = 0;
    glGetQueryObjectuiv(slot.ids[slot.used - 1], GL_QUERY_RESULT_AVAILABLE, &available);
    if (!available) return;
  }
  double ms = 0;
  for (int i = 0; i < slot.used; ++i) {
    GLuint64 ns = 0;
    glGetQueryObjectui64v(slot.ids[i], GL_QUERY_RESULT, &ns);
    ms += static_cast<double>(ns) * 1e-6;
  }
  record(slot.frame, ms);
  slot.frame = -1;
}

double GpuTimer::timeNow(std::function<void()> const& draw) {
  if (queries && scratch && !active) {
    glBeginQuery(GL_TIME_ELAPSED, scratch);
    draw();
    glEndQuery(GL_TIME_ELAPSED);
    GLuint64 ns = 0;
    glGetQueryObjectui64v(scratch, GL_QUERY_RESULT, &ns);
    return static_cast<double>(ns) * 1e-6;
  }
  glFinish();
  double const start = nowMs();
  draw();
  glFinish();
  return nowMs() - start;
}

void GpuTimer::finishPending() {
  for (Slot& s : ring)
    if (s.frame >= 0) collect(s, true);
}

void GpuTimer::record(long frame, double ms) {
  known.emplace_back(frame, ms);
  while (known.size() > keep) known.pop_front();
}

bool GpuTimer::result(long frame, double& ms) const {
  for (auto it = known.rbegin(); it != known.rend(); ++it) {
    if (it->first == frame) {
      ms = it->second;
      return true;
    }
  }
  return false;
}
