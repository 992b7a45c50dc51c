// AtomicFile: writes a file under a temporary name in the target's folder and
// renames it over the target only once everything was written.
#pragma once

#include <cstdio>
#include <string>

// Usage: open(target), write to stream(), then commit(). Until commit()
// succeeds the target is untouched: a failed write, a full disk, a file-size
// limit or an early return (the destructor discards) leave the old file as it
// was and no temporary behind. Every failure sets `error` to one line that
// names the target and says why ("shot.png: File too large").
class AtomicFile {
public:
  AtomicFile() = default;
  ~AtomicFile() { discard(); }
  AtomicFile(AtomicFile const&) = delete;
  AtomicFile& operator=(AtomicFile const&) = delete;

  // Refuses a target that exists and is not a regular file (a device, a FIFO,
  // a directory, or a symbolic link to one; a link to a regular file is
  // written through, the link kept). Otherwise creates the temporary file,
  // with the target's permissions when it exists. Writes beyond the process's
  // file-size limit fail with EFBIG instead of killing the program.
  bool open(std::string const& target, std::string& error);
  // Where to write; null unless open.
  FILE* stream() const { return file; }
  // Flushes, syncs and closes the temporary file and renames it over the
  // target. Any write error since open() (see ferror) fails the commit.
  bool commit(std::string& error);
  // Closes and removes the temporary file, if any; the target is untouched.
  void discard();

private:
  FILE* file = nullptr;
  std::string shownName;  // the target as the caller named it, for messages
  std::string target;     // the file actually replaced (links resolved)
  std::string temporary;
};
