// The line tokeniser: separators, quotes, empty tokens and the length limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cvar.h"

namespace {
using Tokens = std::vector<std::string>;
// The output list starts non-empty: parsing must replace, not append.
Tokens tokens(char const* line) {
  Tokens out{"left over"};
  CVarSys::parseArgs(line, out);
  return out;
}
}  // namespace

// Only the space separates (tabs and semicolons are ordinary characters) and
// every gap is a token. Quotes group and stay in the token, also when unclosed.
TEST(Tokeniser, SpacesAndQuotes) {
  struct Row { char const* line; Tokens expected; };
  Row const rows[] = {{"a b", {"a", "b"}},
                      {"a  b", {"a", "", "b"}},
                      {" a", {"", "a"}},
                      {"a ", {"a", ""}},
                      {"", {""}},
                      {nullptr, {""}},
                      {"a\tb;c d", {"a\tb;c", "d"}},
                      {"echo \"a b\"", {"echo", "\"a b\""}},
                      {"x\"a b\"y z", {"x\"a b\"y", "z"}},
                      {"echo \"open to the end", {"echo", "\"open to the end"}},
                      {"\"\"", {"\"\""}}};
  for (Row const& r : rows) EXPECT_EQ(tokens(r.line), r.expected) << (r.line ? r.line : "null");
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
