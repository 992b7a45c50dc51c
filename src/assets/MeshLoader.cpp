// MeshLoader: the child that reads the file and writes its reply, and the
// caller's side that reads the reply a piece at a time.
//
// The reply is a run of records, each a kind byte and a 64-bit payload length
// followed by the payload: 'p' a progress line, 'n' the note on what was left
// out, 'e' the one-line reason of a refusal (the last record), 'm' the mesh
// (the last record): its vertex and index counts, then the vertices' and the
// indices' bytes as they lie in memory (parent and child are one program).
#include "MeshLoader.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

static_assert(std::is_trivially_copyable<Model3D::Vertex>::value, "a vertex travels as its bytes");

namespace {

size_t const maxText = 1 << 16;  // the longest line a record may carry

// Writes all of `bytes`; a parent that has gone ends the child.
void writeAll(int fd, void const* data, size_t bytes) {
  char const* p = static_cast<char const*>(data);
  while (bytes > 0) {
    ssize_t const n = ::write(fd, p, bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ::_exit(1);
    p += n;
    bytes -= static_cast<size_t>(n);
  }
}

void writeHeader(int fd, char kind, uint64_t length) {
  unsigned char h[9];
  h[0] = static_cast<unsigned char>(kind);
  std::memcpy(h + 1, &length, sizeof length);
  writeAll(fd, h, sizeof h);
}

void writeText(int fd, char kind, std::string const& text) {
  std::string const line = text.substr(0, maxText);
  writeHeader(fd, kind, line.size());
  writeAll(fd, line.data(), line.size());
}

void writeMesh(int fd, Model3D const& mesh) {
  std::vector<Model3D::Vertex> const& v = mesh.getVertices();
  std::vector<int> const& i = mesh.getIndices();
  uint64_t const sizes[2] = {v.size(), i.size()};
  writeHeader(fd, 'm', sizeof sizes + v.size() * sizeof(Model3D::Vertex) + i.size() * sizeof(int));
  writeAll(fd, sizes, sizeof sizes);
  writeAll(fd, v.data(), v.size() * sizeof(Model3D::Vertex));
  writeAll(fd, i.data(), i.size() * sizeof(int));
}

// The child: reads the file, writes its reply and ends, without touching
// anything else of the program it was copied from (no window, no GL, no
// console, no exit handlers).
[[noreturn]] void runChild(std::string const& path, int fd, pid_t parent) {
  // It ends with the program, however the program ends.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(1);
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGPIPE, SIG_DFL);
  try {
    Model3D mesh;
    std::string error, note;
    auto const progress = [fd](std::string const& line) { writeText(fd, 'p', line); };
    if (!MeshFile::load(path, mesh, error, progress, &note)) {
      writeText(fd, 'e', error);
    } else {
      if (!note.empty()) writeText(fd, 'n', note);
      writeMesh(fd, mesh);
    }
  } catch (std::bad_alloc const&) {
    writeText(fd, 'e', path + ": there is not memory enough to read it");
  } catch (std::exception const& e) {
    writeText(fd, 'e', path + ": the importer failed on it (" + e.what() + ")");
  }
  ::_exit(0);
}

}  // namespace

bool MeshLoader::start(std::string const& file, std::string& error) {
  cancel();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error = file + ": cannot start reading it (" + std::strerror(errno) + ")";
    return false;
  }
  ::fcntl(fds[0], F_SETPIPE_SZ, 1 << 20);  // fewer, larger reads where the system allows
  pid_t const parent = ::getpid();
  pid_t const pid = ::fork();
  if (pid < 0) {
    error = file + ": cannot start reading it (" + std::strerror(errno) + ")";
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  if (pid == 0) {
    ::close(fds[0]);
    runChild(file, fds[1], parent);
  }
  ::close(fds[1]);
  ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  child = pid;
  pipeFd = fds[0];
  path = file;
  current = State::Loading;
  noteText.clear();
  errorText.clear();
  mesh.reset();
  expect(Part::Header, header, sizeof header);
  return true;
}

void MeshLoader::expect(Part next, void* where, size_t bytes) {
  part = next;
  at = static_cast<char*>(where);
  left = bytes;
}

MeshLoader::State MeshLoader::poll(MeshFile::Progress const& progress, double budgetMs) {
  typedef std::chrono::steady_clock Clock;
  Clock::time_point const until =
      Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(budgetMs));
  tell = &progress;
  while (current == State::Loading) {
    if (left == 0) {
      if (!partDone()) break;
      continue;
    }
    ssize_t const n = ::read(pipeFd, at, std::min(left, size_t(1) << 22));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n <= 0) {
      finish(childFate());
      break;
    }
    at += n;
    left -= static_cast<size_t>(n);
    if (Clock::now() > until) break;
  }
  tell = nullptr;
  return current;
}

bool MeshLoader::partDone() {
  char const kind = static_cast<char>(header[0]);
  uint64_t length = 0;
  std::memcpy(&length, header + 1, sizeof length);
  std::string const broken = path + ": the loader's reply is broken";
  switch (part) {
    case Part::Header:
      if (kind == 'm' && length >= sizeof sizes) {
        expect(Part::Sizes, sizes, sizeof sizes);
        return true;
      }
      if ((kind == 'p' || kind == 'n' || kind == 'e') && length <= maxText) {
        text.assign(length, '\0');
        expect(Part::Text, &text[0], length);
        return true;
      }
      finish(broken);
      return false;
    case Part::Text:
      if (kind == 'e') {
        finish(text.empty() ? broken : text);
        return false;
      }
      if (kind == 'n') noteText = text;
      if (kind == 'p' && tell && *tell) (*tell)(text);
      expect(Part::Header, header, sizeof header);
      return true;
    case Part::Sizes: {
      unsigned long long const nv = sizes[0], ni = sizes[1];
      if (nv == 0 || nv > static_cast<unsigned long long>(INT_MAX) || ni % 3 != 0 || ni / 3 > MeshFile::maxTriangles ||
          length != sizeof sizes + nv * sizeof(Model3D::Vertex) + ni * sizeof(int)) {
        finish(broken);
        return false;
      }
      try {
        vertices.assign(static_cast<size_t>(nv), Model3D::Vertex());
        indices.assign(static_cast<size_t>(ni), 0);
      } catch (std::bad_alloc const&) {
        finish(path + ": there is not memory enough for its " + std::to_string(nv) + " vertices");
        return false;
      }
      expect(Part::Vertices, vertices.data(), vertices.size() * sizeof(Model3D::Vertex));
      return true;
    }
    case Part::Vertices:
      expect(Part::Indices, indices.data(), indices.size() * sizeof(int));
      return true;
    case Part::Indices:
      if (!mesh.adopt(std::move(vertices), std::move(indices))) {
        finish(broken);
        return false;
      }
      finish("");
      return false;
  }
  return false;
}

std::string MeshLoader::childFate() {
  int status = 0;
  pid_t const pid = child;
  child = -1;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(status))
    return path + ": the importer crashed on it (" + ::strsignal(WTERMSIG(status)) + ")";
  return path + ": the loader ended without a mesh (status " + std::to_string(WEXITSTATUS(status)) + ")";
}

void MeshLoader::finish(std::string fail) {
  if (child > 0) {
    // Its reply is read: nothing it does from here on matters.
    ::kill(child, SIGKILL);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    child = -1;
  }
  if (pipeFd >= 0) ::close(pipeFd);
  pipeFd = -1;
  vertices = std::vector<Model3D::Vertex>();
  indices = std::vector<int>();
  text.clear();
  errorText = std::move(fail);
  current = errorText.empty() ? State::Loaded : State::Failed;
}

void MeshLoader::cancel() {
  if (current == State::Loading) finish("cancelled");
  current = State::Idle;
  mesh.reset();
}
