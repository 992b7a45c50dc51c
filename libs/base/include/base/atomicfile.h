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
  // written through, the link kept), and one whose mode has no write bit
  // ("notes.csv: is read-only", whoever runs the program). Otherwise removes
  // the temporaries that killed writers left in the folder (see
  // removeStaleTemporaries) and creates its own, with the target's
  // permissions when it exists. Writes beyond the process's file-size limit
  // fail with EFBIG instead of killing the program.
  bool open(std::string const& target, std::string& error);
  // Where to write; null unless open.
  FILE* stream() const { return file; }
  // Flushes, syncs and closes the temporary file and renames it over the
  // target. Any write error since open() fails the commit, with the reason of
  // the first one ("shot.png: No space left on device").
  bool commit(std::string& error);
  // Closes and removes the temporary file, if any; the target is untouched.
  void discard();

  // Temporary files are named ".<target's name>.tmp<pid>-<n>-<m>" beside the
  // target, the target's name cut short where the whole would pass the
  // folder's limit on a name's length. Removes those in `folder` whose writing process no longer runs
  // (killed before it could commit or discard); those of running processes,
  // this one's included, are left alone. Gives the number removed.
  static int removeStaleTemporaries(std::string const& folder);

  // The stream's descriptor and the first write error on it.
  struct Sink {
    int fd = -1;
    int firstError = 0;
  };

private:
  FILE* file = nullptr;
  Sink sink;
  std::string shownName;  // the target as the caller named it, for messages
  std::string target;     // the file actually replaced (links resolved)
  std::string temporary;
};

