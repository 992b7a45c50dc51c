// AtomicFile: the temporary file next to the target, its checks and the final
// rename.
#include "base/atomicfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "filekind.h"
#include "linktarget.h"

namespace {

// A process over its file-size limit is killed by SIGXFSZ unless the signal is
// ignored; ignored, the write fails with EFBIG and the old file survives.
void ignoreFileSizeSignal() {
  struct sigaction current;
  if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
  }
}

std::string folderOf(std::string const& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string leafOf(std::string const& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The target's name as the start of its temporary's, cut so that "." + it +
// `tag` fits a folder whose names hold at most `nameMax` bytes (a name the
// folder takes may be too long once the tag is added). A cut never splits a
// UTF-8 character, and at least one byte is kept.
std::string temporaryLeaf(std::string const& leaf, std::string const& tag, size_t nameMax) {
  size_t const room = nameMax > tag.size() + 2 ? nameMax - tag.size() - 1 : 1;
  if (leaf.size() <= room) return leaf;
  size_t cut = room;
  while (cut > 1 && (static_cast<unsigned char>(leaf[cut]) & 0xC0) == 0x80) --cut;
  return leaf.substr(0, cut);
}

// The stream writes through these, so that the reason of the first failed
// write is kept for commit() (stdio itself keeps only an error flag).
ssize_t writeToSink(void* cookie, char const* data, size_t size) {
  auto* sink = static_cast<AtomicFile::Sink*>(cookie);
  size_t done = 0;
  while (done < size) {
    ssize_t const n = ::write(sink->fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (!sink->firstError) sink->firstError = n < 0 ? errno : EIO;
      return 0;  // stdio's sign of a failed write
    }
    done += size_t(n);
  }
  return ssize_t(done);
}

int closeSink(void* cookie) {
  auto* sink = static_cast<AtomicFile::Sink*>(cookie);
  int const result = ::close(sink->fd);
  sink->fd = -1;
  return result;
}

// The pid in a temporary's name: ".<leaf>.tmp<pid>-<n>-<m>" with a non-empty
// leaf; 0 when the name has another form.
long pidOfTemporary(std::string const& name) {
  if (name.size() < 2 || name[0] != '.') return 0;
  size_t const tmp = name.rfind(".tmp");
  if (tmp == std::string::npos || tmp < 2) return 0;
  // Three runs of digits joined by '-', nothing else.
  size_t p = tmp + 4;
  long pid = 0;
  for (int run = 0; run < 3; ++run) {
    if (run > 0 && (p >= name.size() || name[p++] != '-')) return 0;
    size_t const start = p;
    while (p < name.size() && name[p] >= '0' && name[p] <= '9') {
      if (run == 0) {
        if (pid > 99999999) return 0;
        pid = pid * 10 + (name[p] - '0');
      }
      ++p;
    }
    if (p == start) return 0;
  }
  return p == name.size() ? pid : 0;
}

// True unless the process is known to be gone (kill answers ESRCH); a process
// of another user (EPERM) still runs.
bool processRuns(long pid) { return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH; }

}  // namespace

bool AtomicFile::open(std::string const& name, std::string& error) {
  discard();
  if (name.empty()) {
    error = "no file name given";
    return false;
  }
  shownName = name;
  target = name;
  struct stat st;
  bool const exists = ::stat(name.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    error = name + ":" + notRegularReason(st.st_mode);
    return false;
  }
  // Judged by the mode, not by access(): root could replace the file, but a
  // file nobody may write is meant to stay as it is.
  if (exists && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) {
    error = name + ": is read-only";
    return false;
  }
  // Replace the file a link leads to, not the link itself.
  if (!writeTarget(name, target, error)) return false;

  ignoreFileSizeSignal();
  removeStaleTemporaries(folderOf(target));
  // A name of its own in the target's folder (so the rename stays on one file
  // system), hidden, and unique: created exclusively, retried on a clash.
  std::string const folder = folderOf(target), leaf = leafOf(target);
  long const nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  static unsigned counter = 0;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    std::string const tag = ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" +
                            std::to_string(std::clock() & 0xffff);
    temporary = folder + "/." + temporaryLeaf(leaf, tag, nameMax > 0 ? size_t(nameMax) : size_t(NAME_MAX)) + tag;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = name + ": " + std::strerror(errno);
    temporary.clear();
    return false;
  }
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  sink = Sink{fd, 0};
  cookie_io_functions_t const io = {nullptr, writeToSink, nullptr, closeSink};
  file = ::fopencookie(&sink, "wb", io);
  if (!file) {
    error = name + ": " + std::strerror(errno);
    ::close(fd);
    sink.fd = -1;
    discard();
    return false;
  }
  return true;
}

int AtomicFile::removeStaleTemporaries(std::string const& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  int removed = 0;
  while (dirent* entry = ::readdir(dir)) {
    std::string const name = entry->d_name;
    long const pid = pidOfTemporary(name);
    if (pid <= 0 || processRuns(pid)) continue;
    // Only plain files: a folder or link that happens to fit the pattern is
    // none of ours.
    std::string const path = (folder == "/" ? "" : folder) + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(dir);
  return removed;
}

bool AtomicFile::commit(std::string& error) {
  if (!file) {
    error = shownName + ": not open for writing";
    return false;
  }
  // The reason of the first failed write wins over what later calls say.
  bool ok = !std::ferror(file) && std::fflush(file) == 0;
  int why = ok ? 0 : sink.firstError ? sink.firstError : errno;
  if (ok && ::fsync(sink.fd) != 0) {
    ok = false;
    why = errno;
  }
  FILE* f = file;
  file = nullptr;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    why = errno;
  }
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    why = errno;
  }
  if (!ok) {
    error = shownName + ": " + (why ? std::strerror(why) : "a write failed");
    discard();
    return false;
  }
  temporary.clear();
  return true;
}

void AtomicFile::discard() {
  if (file) std::fclose(file);
  file = nullptr;
  if (!temporary.empty()) ::unlink(temporary.c_str());
  temporary.clear();
}
