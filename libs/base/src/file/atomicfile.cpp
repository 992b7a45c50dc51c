// AtomicFile: the temporary file next to the target, its checks and the final
// rename.
#include "base/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "filekind.h"

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
  struct stat link;
  if (::lstat(name.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    // Replace the file the link leads to, not the link itself.
    char* resolved = exists ? ::realpath(name.c_str(), nullptr) : nullptr;
    if (!resolved) {
      error = name + ": is a symbolic link to " + (exists ? std::strerror(errno) : "a missing file");
      return false;
    }
    target = resolved;
    std::free(resolved);
  }

  ignoreFileSizeSignal();
  // A name of its own in the target's folder (so the rename stays on one file
  // system), hidden, and unique: created exclusively, retried on a clash.
  std::string const stem = folderOf(target) + "/." + leafOf(target) + ".tmp";
  static unsigned counter = 0;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = stem + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" +
                std::to_string(std::clock() & 0xffff);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    error = name + ": " + std::strerror(errno);
    temporary.clear();
    return false;
  }
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  file = ::fdopen(fd, "wb");
  if (!file) {
    error = name + ": " + std::strerror(errno);
    ::close(fd);
    discard();
    return false;
  }
  return true;
}

bool AtomicFile::commit(std::string& error) {
  if (!file) {
    error = shownName + ": not open for writing";
    return false;
  }
  errno = 0;
  bool ok = !std::ferror(file);
  ok = std::fflush(file) == 0 && ok;
  ok = ok && ::fsync(fileno(file)) == 0;
  int why = errno;
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
