// Results read back: context lines before the header, a quoted field, the
// frontier of a hand-made sweep with ties, failed rows and comment lines.
#include <gtest/gtest.h>

#include "CsvReader.h"
#include "Frontier.h"
#include "resultfiles.h"

namespace {

// Rows by cost: A8 (10, 5), B8 (15, 3), A16 (20, 2), F2 (25, 2: no better
// than A16 and dearer), A32 and B16 (40, 0.8 both: a tie, both stay), D4 (45,
// 0.9: beaten by A32), E2 (60, 0.5), G1 (70, 9). C8 failed and C16 has no
// p99: skipped. The steps come first: columns are found by name.
std::string const kSweep =
    "# renderer llvmpipe (LLVM 15.0.6, 256 bits)\n# camera 1 2 3 0 0 0 1 0.2\r\nsteps,set,p99,gpu_ms\n"
    "8,A,5.0,10\n8,B,3.0,15\n8,C,failed,-\n\n16,A,2.0,20\n# a comment after the header\n16,C,-,12\r\n"
    "32,A,0.8,40\n16,B,0.8,40\n4,D,0.9,45\n2,E,0.5,60\n1,G,9.0,70\n2,F,2.0,25\r";

}  // namespace

TEST(Frontier, FrontAndCheapestOfAHandMadeSweep) {
  ResultTable sweep({});
  std::string error;
  ASSERT_TRUE(CsvReader::parse(kSweep, sweep, error)) << error;
  EXPECT_EQ(sweep.context(), (std::vector<std::string>{"renderer llvmpipe (LLVM 15.0.6, 256 bits)", "camera 1 2 3 0 0 0 1 0.2"}));

  Frontier f;
  ASSERT_TRUE(Frontier::compute(sweep, Frontier::Options(), f, error)) << error;
  EXPECT_TRUE(f.measured() == 9 && f.skipped() == 2) << f.measured();
  std::string front;
  for (Frontier::Point const& p : f.front()) front += sweep.row(p.row)[1] + sweep.row(p.row)[0] + " ";
  EXPECT_EQ(front, "A8 B8 A16 A32 B16 E2 ");
  // Under 1 texel: A32 and B16 tie at 40 ms; the earlier row wins.
  EXPECT_NE(f.title().find("cheapest with p99 under 1: A at 32 steps (p99 0.8, gpu_ms 40)"), std::string::npos) << f.title();

  ResultTable const t = f.table();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t.row(3), (std::vector<std::string>{"A", "32", "40", "0.8", "yes"}));
  EXPECT_TRUE(t.row(4).back() == "no" && t.context().back() == "frontier cost gpu_ms error p99 target 1");

  // Other targets: a tie in cost goes to the lower error; none gets under 0.1.
  Frontier::Options o{"gpu_ms", "p99", 2.5};
  ASSERT_TRUE(Frontier::compute(sweep, o, f, error));
  EXPECT_EQ(sweep.row(f.cheapest()->row)[1], "A");
  o.target = 0.1;
  ASSERT_TRUE(Frontier::compute(sweep, o, f, error));
  EXPECT_EQ(f.cheapest(), nullptr);
  EXPECT_NE(f.title().find("none has p99 under 0.1; the least: E at 2 steps (p99 0.5, gpu_ms 60)"), std::string::npos)
      << f.title();
  o = Frontier::Options{"steps", "p99", 1.0};  // the fewest steps under a texel
  ASSERT_TRUE(Frontier::compute(sweep, o, f, error));
  EXPECT_EQ(sweep.row(f.cheapest()->row)[1], "E");
  o.error = "flip_p99";
  EXPECT_FALSE(Frontier::compute(sweep, o, f, error));
  EXPECT_EQ(error, "the table has no column \"flip_p99\"");
}

TEST(Frontier, ContextLinesComeBeforeTheHeaderAndReadBack) {
  ResultTable t({"set", "steps", "note"});
  t.addContext("renderer", "llvmpipe\nsecond line");
  t.addContext("camera", "1 2 3 0 0 0 1 0.2");
  t.add({"#hash", "8", "a,b \"q\""});
  std::string const path = testing::TempDir() + "context.csv";
  std::string error;
  ASSERT_TRUE(t.writeCsv(path, error)) << error;
  EXPECT_EQ(slurp(path),
            "# renderer llvmpipe second line\n# camera 1 2 3 0 0 0 1 0.2\nset,steps,note\n\"#hash\",8,\"a,b \"\"q\"\"\"\n");

  ResultTable back({});
  ASSERT_TRUE(CsvReader::read(path, back, error)) << error;
  EXPECT_TRUE(back.context() == t.context() && back.columns() == t.columns() && back.size() == 1) << back.size();
  EXPECT_TRUE(back.row(0) == t.row(0) && back.contextValue("camera") == "1 2 3 0 0 0 1 0.2");

  EXPECT_FALSE(CsvReader::parse("# only context\n", back, error));
  EXPECT_EQ(error, "no header line");
  EXPECT_FALSE(CsvReader::parse("a,b\n\"open,1\n", back, error));
  EXPECT_EQ(error, "line 2: a quoted field is not closed");
  EXPECT_TRUE(!CsvReader::read(testing::TempDir() + "missing.csv", back, error) && back.size() == 1);
}
