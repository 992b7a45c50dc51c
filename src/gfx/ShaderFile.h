// ShaderFile: one shader file the bench builds from, its text as last read and
// its modification time, so that an edit on disk can be noticed.
#pragma once

#include <string>

class ShaderFile {
public:
  ShaderFile() = default;
  explicit ShaderFile(std::string path) : filePath(std::move(path)) {}

  std::string const& path() const { return filePath; }
  std::string const& text() const { return contents; }

  // Reads `path` (a regular, non-empty file). On success it becomes this file's
  // path and text; on failure nothing changes and `error` says why, naming it.
  bool read(std::string const& path, std::string& error);
  // Reads the current path again.
  bool reread(std::string& error) { return read(filePath, error); }

  // True when the file on disk differs in modification time or size from what
  // was last read (or has gone or come back since).
  bool changedOnDisk() const;

private:
  std::string filePath;
  std::string contents;
  long long stamp = -1;  // modification time in nanoseconds, -1 before a read
  long long bytes = -1;
};
