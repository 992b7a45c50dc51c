// The atomic file under the writers: the reason of a failed write, read-only
// targets, temporaries left by killed writers, and the output check made
// before a long job.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "base/atomicfile.h"
#include "base/outputpath.h"
#include "testutil.h"

// A write past the file-size limit fails the commit with its own reason, even
// when later calls have set errno to something else; the old file stays.
TEST(AtomicFile, AFailedWriteKeepsItsReason) {
  std::string const target = writeScratch("limited.csv", std::string("old"));
  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.open(target, error)) << error;
  rlimit saved, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  small = {4096, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::vector<char> const block(3000, 'x');
  for (int i = 0; i < 4; ++i) std::fwrite(block.data(), 1, block.size(), file.stream());
  std::fflush(file.stream());
  setrlimit(RLIMIT_FSIZE, &saved);
  struct stat st;
  EXPECT_NE(stat((target + ".missing").c_str(), &st), 0);  // errno is ENOENT now
  EXPECT_FALSE(file.commit(error));
  EXPECT_EQ(error, target + ": File too large");
  EXPECT_EQ(readWhole(target), (Bytes{'o', 'l', 'd'}));
}

// A file whose mode has no write bit is refused, even for root, and kept.
TEST(AtomicFile, RefusesAReadOnlyTarget) {
  std::string const target = writeScratch("frozen.csv", std::string("old"));
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  AtomicFile file;
  std::string error;
  EXPECT_FALSE(file.open(target, error));
  EXPECT_EQ(error, target + ": is read-only");
  EXPECT_EQ(readWhole(target), (Bytes{'o', 'l', 'd'}));
}

// Opening a file removes the temporaries of writers that no longer run, in
// its folder only, and nothing else: not those of running processes (this
// one), nor names of another form.
TEST(AtomicFile, OpeningRemovesTemporariesOfDeadWriters) {
  std::string const dir = scratchDir() + "/stale", other = scratchDir() + "/elsewhere";
  std::filesystem::create_directories(dir);
  std::filesystem::create_directories(other);
  // Above the largest pid Linux can give (2^22).
  std::string const dead = std::to_string((1L << 22) + 7), live = std::to_string(getpid());
  std::vector<std::string> const removed = {".a.csv.tmp" + dead + "-1-2", ".shot.tmp.png.tmp" + dead + "-30-400"};
  std::vector<std::string> const kept = {".a.csv.tmp" + live + "-1-2", ".a.csv.tmp" + dead + "-1",
                                         ".a.csv.tmp" + dead + "-1-2x", "a.csv.tmp" + dead + "-1-2",
                                         ".tmp" + dead + "-1-2", ".a.csv.tmp-1-2"};
  for (auto const& names : {removed, kept})
    for (std::string const& name : names) writeScratch("stale/" + name, std::string("x"));
  writeScratch("elsewhere/" + removed[0], std::string("x"));
  std::filesystem::create_directory(dir + "/.d.tmp" + dead + "-1-2");  // a folder is never removed

  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.open(dir + "/new.csv", error)) << error;
  ASSERT_TRUE(file.commit(error)) << error;
  for (std::string const& name : removed) EXPECT_FALSE(std::filesystem::exists(dir + "/" + name)) << name;
  for (std::string const& name : kept) EXPECT_TRUE(std::filesystem::exists(dir + "/" + name)) << name;
  EXPECT_TRUE(std::filesystem::exists(dir + "/.d.tmp" + dead + "-1-2"));
  EXPECT_TRUE(std::filesystem::exists(other + "/" + removed[0]));
  EXPECT_EQ(AtomicFile::removeStaleTemporaries(other), 1);
}

// Each cause gets its own words; the extension is matched in any case.
TEST(OutputPath, TellsTheRealCause) {
  std::string const dir = scratchDir() + "/out";
  std::filesystem::create_directories(dir + "/sub.csv");
  std::filesystem::create_directories(dir + "/locked");
  ASSERT_EQ(chmod((dir + "/locked").c_str(), 0555), 0);
  std::string const frozen = writeScratch("out/frozen.csv", std::string("x"));
  ASSERT_EQ(chmod(frozen.c_str(), 0444), 0);
  std::string const plain = writeScratch("out/plain.csv", std::string("x"));
  ASSERT_EQ(mkfifo((dir + "/pipe.csv").c_str(), 0644), 0);
  std::vector<std::string> const csv = {".csv"}, pictures = {".png", ".jpg", ".jpeg"};
  struct {
    std::string path;
    std::vector<std::string> const& extensions;
    std::string error;  // "" when writable
  } const rows[] = {
      {dir + "/new.CSV", csv, ""},
      {plain, csv, ""},
      {dir + "/shot.JPeG", pictures, ""},
      {dir + "/new.txt", csv, dir + "/new.txt: needs a .csv name"},
      {dir + "/.csv", csv, dir + "/.csv: needs a .csv name"},
      {dir + "/shot.bmp", pictures, dir + "/shot.bmp: needs a .png, .jpg or .jpeg name"},
      {dir + "/nowhere/a.csv", csv, dir + "/nowhere/a.csv: no such folder"},
      {plain + "/a.csv", csv, plain + ": is not a folder"},
      {dir + "/sub.csv", csv, dir + "/sub.csv: is a directory"},
      {"/dev/null", csv, "/dev/null: is a device, not a file"},
      {"/dev/full", {}, "/dev/full: is a device, not a file"},
      {dir + "/pipe.csv", csv, dir + "/pipe.csv: is a FIFO, not a file"},
      {frozen, csv, frozen + ": is read-only"},
      {dir + "/locked/a.csv", csv, dir + "/locked: the folder is read-only"},
      {"", csv, "no file name given"},
  };
  for (auto const& r : rows) {
    std::string error = "unchanged";
    EXPECT_EQ(checkOutputPath(r.path, r.extensions, error), r.error.empty()) << r.path;
    if (!r.error.empty()) {
      EXPECT_EQ(error, r.error);
    }
  }
  chmod((dir + "/locked").c_str(), 0755);
}
