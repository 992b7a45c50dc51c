// MeshLoader: a mesh file read (MeshFile::load) in a child process while the
// caller goes on drawing, the mesh sent back through a pipe as the plain bytes
// of its vertices and indices.
//
// Why a process and not a thread: the importer cannot be interrupted inside a
// format's reader, and some files keep it there for minutes. A thread stuck in
// there could not be stopped, and the program could not end before it came
// out; a child process is killed at once, whatever it is doing. A file made to
// crash the importer ends only the child, and the program says so.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "MeshFile.h"
#include "Model3D.h"

class MeshLoader {
public:
  enum class State { Idle, Loading, Loaded, Failed };

  MeshLoader() = default;
  ~MeshLoader() { cancel(); }
  MeshLoader(MeshLoader const&) = delete;
  MeshLoader& operator=(MeshLoader const&) = delete;

  // Starts reading `path` (a load under way is dropped first). False, with a
  // one-line reason, when no child process can be started.
  bool start(std::string const& path, std::string& error);
  // Takes what the child has sent, for about `budgetMs` at most, without
  // waiting for more: its progress lines go to `progress`. Loading until the
  // mesh is whole (Loaded: take() has it) or the load failed (Failed: error()
  // says why, in one line).
  State poll(MeshFile::Progress const& progress, double budgetMs = 10.0);
  State state() const { return current; }
  // The loaded mesh, moved out; and MeshFile::load's note on what it left out.
  Model3D take() { return std::move(mesh); }
  std::string const& note() const { return noteText; }
  std::string const& error() const { return errorText; }
  // Ends a load under way at once (the child is killed); nothing is kept.
  void cancel();

private:
  // Where the reply being read goes next.
  enum class Part { Header, Text, Sizes, Vertices, Indices };
  void expect(Part part, void* at, size_t bytes);
  // The part just read is whole: false once the reply is over.
  bool partDone();
  // Ends the child and closes the pipe; `fail` sets the state to Failed with it.
  void finish(std::string fail);
  // What became of a child that closed the pipe before its reply was whole.
  std::string childFate();

  State current = State::Idle;
  pid_t child = -1;
  int pipeFd = -1;
  std::string path;
  Part part = Part::Header;
  char* at = nullptr;  // the rest of the part being read
  size_t left = 0;
  unsigned char header[9] = {};  // a record's kind and payload length
  unsigned long long sizes[2] = {};  // the mesh's vertex and index counts
  std::string text;
  std::vector<Model3D::Vertex> vertices;
  std::vector<int> indices;
  Model3D mesh;
  std::string noteText, errorText;
  MeshFile::Progress const* tell = nullptr;  // the progress of the poll under way
};
