// The line tokeniser: separators, quotes, empty tokens and the length limits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cvar.h"

// Only the space separates (tabs and semicolons are ordinary characters) and
// every gap is a token. Quotes group and stay in the token, also when
// unclosed. At most 16 tokens; a run of 256 characters (quotes not counted)
// ends its token; either way the line is not whole (a trailing space after
// the 16th token loses nothing). The output list is replaced, not appended to.
TEST(Tokeniser, SpacesQuotesAndLimits) {
  std::string const words = "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20", y256(256, 'y'), z250(250, 'z');
  std::string const quoted = "\"" + y256 + "\"", typed = "e " + z250, cut = "e " + std::string(300, 'x');
  using Tokens = std::vector<std::string>;
  std::string const sixteen = words.substr(0, words.find(" 17")) + " ";
  struct { char const* line; Tokens expected; bool whole; } const rows[] = {{"a  b", {"a", "", "b"}, true},
                    {" a ", {"", "a", ""}, true},
                    {nullptr, {""}, true},
                    {"a\tb;c x\"a b\"y", {"a\tb;c", "x\"a b\"y"}, true},
                    {"e \"open to the end", {"e", "\"open to the end"}, true},
                    {words.c_str(), {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"}, false},
                    {sixteen.c_str(), {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16"}, true},
                    {cut.c_str(), {"e", std::string(256, 'x'), std::string(44, 'x')}, false},
                    {quoted.c_str(), {"\"" + y256, "\""}, false},
                    {typed.c_str(), {"e", z250}, true}};
  for (auto const& r : rows) {
    Tokens out{"left over"};
    EXPECT_EQ(CVarSys::parseArgs(r.line, out), r.whole) << (r.line ? r.line : "null");
    EXPECT_EQ(out, r.expected) << (r.line ? r.line : "null");
  }
}
