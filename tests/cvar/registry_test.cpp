// The registry: static objects from several units registered by init(),
// duplicates, re-initialisation and dispatch; every kind of variable through
// the lines typed for it; the number parsers; "echo" and "listcmds".
#include <gtest/gtest.h>

#include <cmath>

#include <cstring>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"
#include "order.h"

namespace {
// What a console line printed, run through the registry.
std::string runLine(char const* line) {
  testing::internal::CaptureStdout();
  cvarRegistry()->init();
  cvarInterpreter.exec(line);
  return testing::internal::GetCapturedStdout();
}

int indexOf(char const* name) {
  for (int i = 0; i < cvarRegistry()->size(); ++i)
    if (std::strcmp(cvarSys->at(i)->name, name) == 0) return i;
  return -1;
}

// What the hooks received.
std::vector<std::string> lastArgs;
int calls = 0;
void record(int argc, char** argv) {
  ++calls;
  lastArgs.assign(argv, argv + argc);
}

bool flag = false;
int ints[2] = {5, 6};
float speed = 1.0f;
double precise = 0.25;
_vec<4, float> colour(0, 0, 0, 1);
_vec<3, float> position(1, 2, 3);
_quat<float> turn(0, 0, 0, 1);
CVarw flagVar(&flag, "testFlag", nullptr, 1), intsVar(ints, "testInts", record, 2);
CVarw speedVar(&speed, "testSpeed", nullptr, 1), preciseVar(&precise, "testPrecise", nullptr, 1);
CVarw colourVar(&colour, "testColour", record), positionVar(&position, "testPosition", nullptr);
CVarw turnVar(&turn, "testTurn", nullptr), noStorage(0, "testNoStorage", record, 3);
_cvar<int> wholeVar("testWhole");
_cvar<float> realVar("testReal");
CVar command("testCommand", record);
}  // namespace

// Objects made while the registry runs register at once (or are refused) and
// are gone once destroyed; shutdown() forgets all, init() registers the same
// objects again in the same order.
TEST(Registry, StaticAndRuntimeRegistrationAndReinitialisation) {
  runLine("");
  EXPECT_EQ(indexOf("orderA2"), indexOf("orderA1") + 1);
  EXPECT_EQ(indexOf("orderB1"), indexOf("orderA1") + (ORDER_A_FIRST ? 3 : -2));
  // The test units' objects come before the library's own commands, which
  // are defined in a later unit.
  EXPECT_LT(indexOf("orderA1"), indexOf("listcmds"));
  EXPECT_EQ(indexOf("echo"), indexOf("listcmds") + 1);
  // The second object of a name is refused (with one message, as the last
  // line shows); the name keeps addressing the first.
  EXPECT_EQ(cvarSys->matchString("dupName"), ORDER_A_FIRST ? static_cast<CVar*>(&dupFromA) : &dupFromB);

  std::string const all = runLine("listcmds"), twice = "cvarAddNew: found two cvars with name ";
  testing::internal::CaptureStdout();
  CVar second("echo");
  EXPECT_NE(cvarSys->matchString("echo"), &second);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), twice + "echo\n");
  { CVar last("testLast"); }
  CVar later("testLater");  // registered at once, listed after the last object, now gone
  EXPECT_EQ(runLine("listcmds"), all + "testLater\n");
  cvarSys->shutdown();
  EXPECT_EQ(runLine("listcmds"), twice + "dupName\n" + twice + "echo\n" + all + "testLater\n");
}

// The object the first token names (case-sensitive) gets the tokens, at most
// 16: a line that does not fit is not run at all. A variable's values are set
// (too few are fine, too many are refused with one line), its hook run and it
// is echoed. A value that is not one whole finite number, or one
// too large for the variable's type, is refused with one line saying which,
// nothing of it stored.
TEST(Registry, LinesSetVariablesAndRunCommands) {
  std::string const bad = "\" is not a finite number; the value stays as it was\n";
  std::string const range = "\" is out of range for ";
  std::string const longLine = "testCommand " + std::string(256, 'x');
  struct { char const* line; std::string out; } const script[] = {
      {"noSuchThing 1 2", "unknown cvar \"noSuchThing\"\n"},
      {"TESTFLAG", "unknown cvar \"TESTFLAG\"\n"},
      {"testFlag TRUE", "testFlag := true\n"},
      {"testFlag a", "testFlag := false\n"},
      {"testInts 9", "testInts := 9 6\n"},
      {"testInts -3 12 ", "testInts := -3 12\n"},
      {"testInts 1 2 99", "testInts: takes 2 values, the line gave 3; the value stays as it was\ntestInts := -3 12\n"},
      {"testInts 7 abc", "testInts: \"abc" + bad + "testInts := -3 12\n"},
      {"testSpeed 0x1.8p1", "testSpeed := 3.000000\n"},
      {"testSpeed 1e39", "testSpeed: \"1e39" + range + "a float; the value stays as it was\ntestSpeed := 3.000000\n"},
      {"testPrecise 0.1234567", "testPrecise := 0.123457\n"},
      {"testColour 1 0 0", "testColour := 1.000000 0.000000 0.000000 1.000000\n"},
      {"testPosition 4 5 6", "testPosition := 4.000000 5.000000 6.000000\n"},
      {"testSpeed 1 2 3", "testSpeed: takes 1 value, the line gave 3; the value stays as it was\ntestSpeed := 3.000000\n"},
      {"testTurn 0 0 1 0", "testTurn := 0.000000 0.000000 1.000000 0.000000\n"},
      {"testWhole 2.9", "testWhole := 2\n"},
      {"testWhole 3 4", "testWhole: takes 1 value, the line gave 2; the value stays as it was\ntestWhole := 2\n"},
      {"testWhole 1e20", "testWhole: \"1e20" + range + "an int; the value stays as it was\ntestWhole := 2\n"},
      {"testReal 0.5", "testReal := 0.500000\n"},
      {"testReal 1 2", "testReal: takes 1 value, the line gave 2; the value stays as it was\ntestReal := 0.500000\n"},
      {"testReal INF", "testReal: \"INF" + bad + "testReal := 0.500000\n"},
      {"testNoStorage a b", ""},
      {"testCommand a b c d e f g h i j k l m n o", ""},
      {"testCommand a b c d e f g h i j k l m n o p", "testCommand: the line was not run: it has more than 16 words (quoted text counts as one)\n"},
      {longLine.c_str(), "testCommand: the line was not run: a word of it is longer than 255 characters\n"},
  };
  calls = 0;
  for (auto const& s : script) EXPECT_EQ(runLine(s.line), s.out) << s.line;
  EXPECT_EQ(calls, 7);
  EXPECT_EQ(lastArgs.size(), 16u);
  EXPECT_EQ(lastArgs[0] + lastArgs[15], "testCommando");  // the lines not run reached no handler
  EXPECT_EQ((std::vector<double>{speed, precise, colour.x, colour.w, position.z, turn.z, turn.w}),
            (std::vector<double>{3, 0.1234567, 1, 1, 6, 1, 0}));
}

// Blanks may surround the number, nothing else. A number that does not fit
// the type it is stored in is out of range, told apart from text that is no
// number; the edges of each type still fit. A refusal leaves the value alone.
TEST(Registry, ParsersRefuseNumbersTheirTypeCannotHold) {
  using R = NumberParse;
  struct { char const* text; R asDouble, asFloat, asInt; } const rows[] = {
      {" -2.5 ", R::Ok, R::Ok, R::Ok},
      {"1 2", R::NotANumber, R::NotANumber, R::NotANumber},
      {"", R::NotANumber, R::NotANumber, R::NotANumber},
      {nullptr, R::NotANumber, R::NotANumber, R::NotANumber},
      {"1e39", R::Ok, R::OutOfRange, R::OutOfRange},
      {"3.4028235e38", R::Ok, R::Ok, R::OutOfRange},
      {"1e400", R::OutOfRange, R::OutOfRange, R::OutOfRange},
      {"1e-400", R::Ok, R::Ok, R::Ok},
      {"2147483647.9", R::Ok, R::Ok, R::Ok},
      {"2147483648", R::Ok, R::Ok, R::OutOfRange},
      {"-2147483648.9", R::Ok, R::Ok, R::Ok},
      {"-2147483649", R::Ok, R::Ok, R::OutOfRange},
      {"inf", R::NotANumber, R::NotANumber, R::NotANumber},
      {"nan", R::NotANumber, R::NotANumber, R::NotANumber},
  };
  for (auto const& r : rows) {
    double d = 7;
    float f = 7;
    int i = 7;
    EXPECT_EQ(parseNumber(r.text, d), r.asDouble) << r.text;
    EXPECT_EQ(parseNumber(r.text, f), r.asFloat) << r.text;
    EXPECT_EQ(parseNumber(r.text, i), r.asInt) << r.text;
    EXPECT_TRUE(std::isfinite(d) && std::isfinite(f)) << r.text;
    EXPECT_TRUE(r.asFloat == R::Ok || f == 7.0f) << r.text;
    EXPECT_TRUE(r.asInt == R::Ok || i == 7) << r.text;
  }
}

// "echo" keeps the spacing and quotes of its tokens. "listcmds" lists every
// registered name that matches its pattern, in order: '*' stands for any run;
// text may follow the last literal run only after a '*'.
TEST(Registry, EchoAndListcmds) {
  EXPECT_EQ(runLine("echo a  \"quoted  text\" x;echo"), "a  \"quoted  text\" x;echo\n");
  EXPECT_EQ(runLine("echo"), "\n");
  std::string all;
  for (int i = 0; i < cvarSys->size(); ++i) all += std::string(cvarSys->at(i)->name) + "\n";
  EXPECT_EQ(runLine("listcmds "), all);
  EXPECT_EQ(runLine("listcmds testP*"), "testPrecise\ntestPosition\n");
  EXPECT_EQ(runLine("listcmds nothing*"), "listcmds: no name matches \"nothing*\" ('*' stands for any text, case counts)\n");
  struct { char const *pattern, *name; bool match; } const rows[] = {
      {"echo", "echo", true}, {"ech", "echo", false}, {"cam", "camX", false},     {"cam*", "xcam", false},
      {"*FPS", "FPSx", true}, {"*ab*c", "cab", false}, {"c**r", "clearColor", true}, {"*a*a", "banana", true},
      {"", "x", true},        {"x", nullptr, false},   {"a*b", "ab", true}};
  for (auto const& r : rows) EXPECT_EQ(cvarMatchPattern(r.pattern, r.name), r.match) << r.pattern << " " << r.name;
}
