// The line tokeniser: separators, quotes, empty tokens and the length limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cvar.h"

namespace {
std::vector<std::string> tokens(char const* line) {
  std::vector<std::string> out{"left over"};
  CVarSys::parseArgs(line, out);
  return out;
}
using Tokens = std::vector<std::string>;
}  // namespace

TEST(Tokeniser, SpacesSeparateAndEveryGapIsAToken) {
  EXPECT_EQ(tokens("a b"), (Tokens{"a", "b"}));
  EXPECT_EQ(tokens("a  b"), (Tokens{"a", "", "b"}));
  EXPECT_EQ(tokens(" a"), (Tokens{"", "a"}));
  EXPECT_EQ(tokens("a "), (Tokens{"a", ""}));
  EXPECT_EQ(tokens(""), (Tokens{""}));
  // Only the space separates: tabs and semicolons are ordinary characters.
  EXPECT_EQ(tokens("a\tb;c d"), (Tokens{"a\tb;c", "d"}));
}

TEST(Tokeniser, QuotesGroupAndStayInTheToken) {
  EXPECT_EQ(tokens("echo \"a b\""), (Tokens{"echo", "\"a b\""}));
  EXPECT_EQ(tokens("x\"a b\"y z"), (Tokens{"x\"a b\"y", "z"}));
  EXPECT_EQ(tokens("echo \"open to the end"), (Tokens{"echo", "\"open to the end"}));
  EXPECT_EQ(tokens("\"\""), (Tokens{"\"\""}));
}

TEST(Tokeniser, AtMostSixteenTokens) {
  std::string line;
  for (int i = 0; i < 20; ++i) line += "w" + std::to_string(i) + " ";
  Tokens t = tokens(line.c_str());
  ASSERT_EQ(t.size(), 16u);
  EXPECT_EQ(t.front(), "w0");
  EXPECT_EQ(t.back(), "w15");
  // Exactly sixteen words are all kept.
  EXPECT_EQ(tokens("1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16").back(), "16");
}

TEST(Tokeniser, LongRunsAreCutAt256CharactersNotCountingQuotes) {
  std::string run(300, 'x');
  Tokens t = tokens(run.c_str());
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0], std::string(256, 'x'));
  EXPECT_EQ(t[1], std::string(44, 'x'));

  std::string quoted = "\"" + std::string(256, 'y') + "\"";
  t = tokens(quoted.c_str());
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0], "\"" + std::string(256, 'y'));
  EXPECT_EQ(t[1], "\"");

  // A line typed into the console (at most 255 characters) is never cut.
  std::string typed = "echo " + std::string(250, 'z');
  EXPECT_EQ(tokens(typed.c_str()).size(), 2u);
}

TEST(Tokeniser, NullLineIsAnEmptyLine) { EXPECT_EQ(tokens(nullptr), (Tokens{""})); }
