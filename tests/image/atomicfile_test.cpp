// The atomic file under the writers: the reason of a failed write, read-only
// targets, temporaries left by killed writers, and the output check made
// before a long job.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "base/atomicfile.h"
#include "base/outputpath.h"
#include "testutil.h"

// A write past the file-size limit fails the commit with its own reason, even
// after later calls set errno to something else; a read-only file is refused;
// the longest name a folder holds is written.
TEST(AtomicFile, FailedWritesKeepTheirReasonReadOnlyFilesAreRefused) {
  std::string const target = writeScratch("limited.csv", std::string("old")), frozen = writeScratch("frozen.csv", "");
  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.open(target, error)) << error;
  rlimit saved, small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  small = {4096, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string const block(12000, 'x');
  std::fputs(block.c_str(), file.stream());
  std::fflush(file.stream());
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_NE(access((target + ".missing").c_str(), F_OK), 0);  // errno is ENOENT now
  EXPECT_FALSE(file.commit(error));
  EXPECT_EQ(error, target + ": File too large");  // target unchanged: ImageWriter.FailuresLeaveTheTargetAsItWas
  ASSERT_EQ(chmod(frozen.c_str(), 0444), 0);
  EXPECT_FALSE(file.open(frozen, error));
  EXPECT_EQ(error, frozen + ": is read-only");
  // A name as long as the folder allows still has room for its temporary.
  std::string const longest = scratchDir() + "/" + std::string(251, 'n') + ".csv";
  EXPECT_TRUE(file.open(longest, error) && file.commit(error)) << error;
  EXPECT_EQ(readWhole(longest).size(), 0u);
}

// Opening removes the temporaries of writers that no longer run, in its own
// folder only; those of running processes (this one) and other names stay.
TEST(AtomicFile, OpeningRemovesDeadWritersTemporaries) {
  std::string const dir = scratchDir() + "/stale", dead = std::to_string((1L << 22) + 7);  // past Linux's pids
  std::vector<std::string> const removed = {".a.csv.tmp" + dead + "-1-2", ".b.tmp.png.tmp" + dead + "-30-400"},
                                 kept = {".a.csv.tmp" + std::to_string(getpid()) + "-1-2", ".a.csv.tmp" + dead + "-1",
                                         "a.csv.tmp" + dead + "-1-2"};
  std::filesystem::create_directories(dir + "/other");
  for (auto const& names : {removed, kept})
    for (std::string const& name : names) writeScratch("stale/" + name, std::string("x"));
  std::string const elsewhere = writeScratch("stale/other/" + removed[0], std::string("x"));
  AtomicFile file;
  std::string error;
  ASSERT_TRUE(file.open(dir + "/new.csv", error) && file.commit(error)) << error;
  for (std::string const& name : removed) EXPECT_FALSE(std::filesystem::exists(dir + "/" + name)) << name;
  for (std::string const& name : kept) EXPECT_TRUE(std::filesystem::exists(dir + "/" + name)) << name;
  EXPECT_TRUE(std::filesystem::exists(elsewhere));
}

// Each cause gets its own words; the extension is matched in any case. A link
// counts as the file it leads to, where the writer writes. The
// causes the measuring commands meet (no such folder, a directory, a device, a
// wrong picture type, a read-only folder) are checked through those commands
// in tests/app/module_test.cpp.
TEST(OutputPath, TellsTheRealCause) {
  std::string const dir = scratchDir() + "/out", plain = writeScratch("out-plain.csv", "");
  std::filesystem::create_directories(dir);
  std::string const frozen = writeScratch("out/frozen.csv", ""), ro = scratchDir() + "/ro";
  std::filesystem::create_directories(ro);
  std::string const inRo = writeScratch("ro/old.csv", "");
  ASSERT_EQ(chmod(frozen.c_str(), 0444) | chmod(ro.c_str(), 0555), 0);
  // Links to a writable file, into a missing folder, to a missing file in a
  // read-only folder and to a file in one.
  for (auto [link, to] : {std::pair{"to-plain.csv", plain}, {"to-missing.csv", std::string("/nonexistent/x.csv")},
                          {"to-ro-new.csv", ro + "/new.csv"}, {"to-ro.csv", inRo}})
    ASSERT_EQ(symlink(to.c_str(), (dir + "/" + link).c_str()), 0);
  struct { std::string path, error; } const rows[] = {  // error "" when writable
      {dir + "/new.CSV", ""}, {plain, ""},
      {dir + "/.csv", dir + "/.csv: needs a .csv name"},
      {plain + "/a.csv", plain + ": is not a folder"},
      {frozen, frozen + ": is read-only"},
      {dir + "/to-plain.csv", ""},
      {dir + "/to-missing.csv", dir + "/to-missing.csv: is a symbolic link to /nonexistent/x.csv, which does not exist"},
      {dir + "/to-ro-new.csv", dir + "/to-ro-new.csv: is a symbolic link to " + ro + "/new.csv, which does not exist"},
      {dir + "/to-ro.csv", dir + "/to-ro.csv: is a symbolic link into " + ro + ", a read-only folder"},
  };
  for (auto const& r : rows) {
    std::string error = "unchanged";
    EXPECT_EQ(checkOutputPath(r.path, {".csv"}, error), r.error.empty()) << r.path;
    EXPECT_EQ(error, r.error.empty() ? "unchanged" : r.error);
  }
  AtomicFile file;
  std::string error;
  EXPECT_TRUE(file.open(dir + "/to-plain.csv", error) && file.commit(error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir + "/to-plain.csv"));  // written through, kept
  chmod(ro.c_str(), 0755);
}
