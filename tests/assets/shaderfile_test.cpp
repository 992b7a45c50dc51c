// The shader file's change poll: each change on disk is told once, a file that goes away once, then nothing until it is
// back.
#include <gtest/gtest.h>

#include <stdio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "ShaderFile.h"

namespace {

void write(std::string const& path, std::string const& text) { std::ofstream(path, std::ios::binary) << text; }

// Gives the file a modification time of `seconds` after the epoch.
void setTime(std::string const& path, long seconds) {
  struct timespec const times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST(ShaderFile, PollTellsEachChangeOnceAndAMissingFileOnce) {
  using P = ShaderFile::Poll;
  std::string const path = testing::TempDir() + "polled.frag", aside = path + ".aside";
  write(path, "void main() {}\n");
  setTime(path, 1000);
  ShaderFile file;
  std::string error;
  ASSERT_TRUE(file.read(path, error)) << error;
  EXPECT_FALSE(file.changedOnDisk());
  EXPECT_EQ(file.poll(), P::Same);

  // Another size at the same time, then the same size at another time.
  write(path, "void main() {1}\n");
  setTime(path, 1000);
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_EQ(file.poll(), P::Same);
  write(path, "void main() {2}\n");
  setTime(path, 2000);
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_EQ(file.poll(), P::Same);

  // Renamed away: told once, then quiet, and a failed read does not wake it.
  ASSERT_EQ(rename(path.c_str(), aside.c_str()), 0);
  EXPECT_EQ(file.poll(), P::Missing);
  EXPECT_FALSE(file.reread(error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(file.poll(), P::Same) << i;
  EXPECT_EQ(file.text(), "void main() {}\n");

  // Back, even with the very time and size it had: a change, once.
  ASSERT_EQ(rename(aside.c_str(), path.c_str()), 0);
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_EQ(file.poll(), P::Same);
  ASSERT_TRUE(file.reread(error)) << error;
  EXPECT_EQ(file.text(), "void main() {2}\n");
  EXPECT_EQ(file.poll(), P::Same);
  setTime(path, 2001);  // the time alone differs from the read's
  EXPECT_TRUE(file.changedOnDisk());

  // Deleted, then back empty: the empty file is one change, refused once.
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(file.poll(), P::Missing);
  write(path, "");
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_FALSE(file.reread(error));
  EXPECT_EQ(file.poll(), P::Same);
  unlink(path.c_str());
}
