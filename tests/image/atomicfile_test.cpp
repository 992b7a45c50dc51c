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
// Opening removes the temporaries of writers that no longer run, in its own
// folder only; those of running processes (this one) and names of another
// form stay.
TEST(AtomicFile, RefusesReadOnlyTargetsAndRemovesDeadWritersTemporaries) {
  std::string const frozen = writeScratch("frozen.csv", std::string("old")), dir = scratchDir() + "/stale";
  ASSERT_EQ(chmod(frozen.c_str(), 0444), 0);
  AtomicFile file;
  std::string error;
  EXPECT_FALSE(file.open(frozen, error));
  EXPECT_EQ(error, frozen + ": is read-only");

  std::string const dead = std::to_string((1L << 22) + 7), live = std::to_string(getpid());  // 2^22: Linux's pid limit
  std::vector<std::string> const removed = {".a.csv.tmp" + dead + "-1-2", ".b.tmp.png.tmp" + dead + "-30-400"},
                                 kept = {".a.csv.tmp" + live + "-1-2", ".a.csv.tmp" + dead + "-1",
                                         "a.csv.tmp" + dead + "-1-2", ".a.csv.tmp-1-2"};
  std::filesystem::create_directories(dir);
  std::filesystem::create_directories(scratchDir() + "/other");
  for (auto const& names : {removed, kept})
    for (std::string const& name : names) writeScratch("stale/" + name, std::string("x"));
  std::string const elsewhere = writeScratch("other/" + removed[0], std::string("x"));
  ASSERT_TRUE(file.open(dir + "/new.csv", error) && file.commit(error)) << error;
  for (std::string const& name : removed) EXPECT_FALSE(std::filesystem::exists(dir + "/" + name)) << name;
  for (std::string const& name : kept) EXPECT_TRUE(std::filesystem::exists(dir + "/" + name)) << name;
  EXPECT_TRUE(std::filesystem::exists(elsewhere));
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
      {frozen, csv, frozen + ": is read-only"},
      {dir + "/locked/a.csv", csv, dir + "/locked: the folder is read-only"},
  };
  for (auto const& r : rows) {
    std::string error = "unchanged";
    EXPECT_EQ(checkOutputPath(r.path, r.extensions, error), r.error.empty()) << r.path;
    EXPECT_EQ(error, r.error.empty() ? "unchanged" : r.error);
  }
  chmod((dir + "/locked").c_str(), 0755);
}
