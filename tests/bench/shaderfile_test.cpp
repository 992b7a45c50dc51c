// The shader file's change poll: each change of the file on disk is told once,
// a file that goes away is told once and then kept quiet until it is back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "ShaderFile.h"

TEST(ShaderFile, PollTellsEachChangeOnceAndAMissingFileOnce) {
  using P = ShaderFile::Poll;
  std::string const path = testing::TempDir() + "polled.frag", aside = path + ".aside";
  // Writes the text with the given modification time.
  auto write = [&](std::string const& text, long seconds) {
    std::ofstream(path, std::ios::binary) << text;
    struct timespec const times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  write("void main() {}\n", 1000);
  ShaderFile file;
  std::string error;
  ASSERT_TRUE(file.read(path, error)) << error;
  EXPECT_EQ(file.poll(), P::Same);
  write("void main() {2}\n", 2000);
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_EQ(file.poll(), P::Same);

  // Renamed away: told once, and a failed read does not wake it. Back with
  // the very time and size it had: a change, once.
  ASSERT_EQ(rename(path.c_str(), aside.c_str()), 0);
  EXPECT_EQ(file.poll(), P::Missing);
  EXPECT_FALSE(file.reread(error));
  EXPECT_EQ(file.poll(), P::Same);
  ASSERT_EQ(rename(aside.c_str(), path.c_str()), 0);
  EXPECT_EQ(file.poll(), P::Changed);
  EXPECT_EQ(file.poll(), P::Same);
  unlink(path.c_str());
}
