// ShaderFile: one shader file the bench builds from, its text as last read and
// its modification time, so that an edit on disk can be noticed.
#pragma once

#include <string>

// A shader's text and the file it came from (for messages).
struct ShaderText {
  std::string path;
  std::string text;
};

class ShaderFile {
public:
  ShaderFile() = default;
  explicit ShaderFile(std::string path) : filePath(std::move(path)) {}

  std::string const& path() const { return filePath; }
  std::string const& text() const { return contents; }
  ShaderText shaderText() const { return {filePath, contents}; }

  // Reads `path` (a regular, non-empty file). On success it becomes this file's
  // path and text; on failure nothing changes and `error` says why, naming it.
  // The time and size kept are those of the opened file before its text is
  // read, so a save landing during the read shows as a change afterwards.
  bool read(std::string const& path, std::string& error);
  // Reads the current path again.
  bool reread(std::string& error) { return read(filePath, error); }

  // True when the file on disk differs in modification time or size from what
  // was last read (or has gone or come back since).
  bool changedOnDisk() const;

  // What a poll of the file found, each state told once.
  enum class Poll {
    Same,     // as at the last read or poll
    Changed,  // another time or size than at the last read or poll, or back after being missing
    Missing,  // gone (deleted, renamed away, unreadable folder) since the last read or poll
  };
  // Compares the file on disk with the state the last read or poll saw and
  // remembers the new one, so that each change is reported once: a file that
  // goes away gives Missing once, then Same until it is back, which gives
  // Changed. A read that fails does not make the next poll report again.
  Poll poll();

private:
  std::string filePath;
  std::string contents;
  long long stamp = -1;  // modification time in nanoseconds, -1 before a read
  long long bytes = -1;
  // The state the last read or poll saw.
  long long seenStamp = -1;
  long long seenBytes = -1;
  bool seenMissing = false;
};
