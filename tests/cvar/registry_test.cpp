// The registry: static objects from several units registered by init(),
// duplicates, re-initialisation, dispatch, every kind of variable, and the echo
// and listcmds commands.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/cvar.h"
#include "base/parsenumber.h"
#include "capture.h"
#include "order.h"

namespace {

int indexOf(char const* name) {
  CVarSys& r = registry();
  for (int i = 0; i < r.size(); ++i)
    if (std::strcmp(r.at(i)->name, name) == 0) return i;
  return -1;
}

size_t countOf(std::string const& haystack, std::string const& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

// What the last handler call received.
std::vector<std::string> lastArgs;
int handlerCalls = 0;
void recordArgs(int argc, char** argv) {
  ++handlerCalls;
  lastArgs.assign(argv, argv + argc);
}

// Registered at run time: the registry keeps pointers, so these live forever.
bool flag = false;
int ints[2] = {5, 6};
float speed = 1.0f;
double precise = 0.25;
_vec<4, float> colour(0, 0, 0, 1);
_vec<3, float> position(1, 2, 3);
_quat<float> turn(0, 0, 0, 1);

CVarw flagVar(&flag, "testFlag", nullptr, 1);
CVarw intsVar(ints, "testInts", recordArgs, 2);
CVarw speedVar(&speed, "testSpeed", nullptr, 1);
CVarw preciseVar(&precise, "testPrecise", nullptr, 1);
CVarw colourVar(&colour, "testColour", recordArgs);
CVarw positionVar(&position, "testPosition", nullptr);
CVarw turnVar(&turn, "testTurn", nullptr);
CVarw commandVar(0, "testNoStorage", recordArgs, 3);
_cvar<int> wholeVar("testWhole");
_cvar<float> realVar("testReal");
CVar commandOnly("testCommand", recordArgs);
CVar camKeys("camKeys"), camSpeed("camSpeed"), camRot("camRot"), camZoom("camZoom");
CVar clearColor("clearColor");

}  // namespace

// Runs first in the program, before later tests add text to the console.
TEST(Registry, StaticRegistrationFromSeveralUnitsInEitherOrder) {
  ASSERT_GE(indexOf("orderA1"), 0);
  ASSERT_GE(indexOf("orderA2"), 0);
  ASSERT_GE(indexOf("orderB1"), 0);
  EXPECT_LT(indexOf("orderA1"), indexOf("orderA2"));
  if (ORDER_A_FIRST)
    EXPECT_LT(indexOf("orderA2"), indexOf("orderB1"));
  else
    EXPECT_GT(indexOf("orderA1"), indexOf("orderB1"));
  // The test units' objects registered before the library's own commands,
  // which are defined in a later unit.
  EXPECT_LT(indexOf("orderA1"), indexOf("listcmds"));
  EXPECT_LT(indexOf("listcmds"), indexOf("echo"));

  // The second object of a name is refused with one message; the name keeps
  // addressing the first.
  std::string const message = "cvarAddNew: found two cvars with name dupName\n";
  EXPECT_EQ(countOf(con.getText(), message), 1u);
  CVar* first = ORDER_A_FIRST ? static_cast<CVar*>(&dupFromA) : &dupFromB;
  EXPECT_EQ(cvarSys->matchString("dupName"), first);
}

TEST(Registry, RuntimeDuplicateIsRefusedWithMessage) {
  testing::internal::CaptureStdout();
  CVar second("echo");  // refused, so the registry never points at it
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "cvarAddNew: found two cvars with name echo\n");
  EXPECT_NE(cvarSys->matchString("echo"), &second);
  EXPECT_EQ(runLine("echo still the first"), "still the first\n");
}

// shutdown() forgets every registration; init() registers the same objects
// again in the same order. An object destroyed meanwhile is gone from both.
TEST(Registry, InitAfterShutdownRegistersTheSameObjectsAgain) {
  std::string const all = runLine("listcmds");
  {
    CVar local("testLocal");  // the registry runs: registered at once
    EXPECT_EQ(registry().matchString("testLocal"), &local);
  }
  EXPECT_EQ(registry().matchString("testLocal"), nullptr);

  cvarSys->shutdown();
  EXPECT_EQ(cvarSys->size(), 0);
  testing::internal::CaptureStdout();
  cvarSys->init();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "cvarAddNew: found two cvars with name dupName\n");
  EXPECT_EQ(runLine("listcmds"), all);
}

TEST(Dispatch, CommandGetsEveryTokenWithItsNameFirst) {
  handlerCalls = 0;
  EXPECT_EQ(runLine("testCommand one \"two words\""), "");
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(lastArgs, (std::vector<std::string>{"testCommand", "one", "\"two words\""}));

  // A line of 20 words hands only the first 16 tokens over.
  runLine("testCommand a b c d e f g h i j k l m n o p q r s");
  ASSERT_EQ(lastArgs.size(), 16u);
  EXPECT_EQ(lastArgs[15], "o");
}

TEST(Dispatch, UnknownNamesPrintOneLineAndRunNothing) {
  handlerCalls = 0;
  EXPECT_EQ(runLine("noSuchThing 1 2"), "unknown cvar \"noSuchThing\"\n");
  EXPECT_EQ(runLine(""), "unknown cvar \"\"\n");
  EXPECT_EQ(runLine(" testCommand"), "unknown cvar \"\"\n");
  EXPECT_EQ(runLine("TESTCOMMAND"), "unknown cvar \"TESTCOMMAND\"\n");
  EXPECT_EQ(handlerCalls, 0);
}

// "true" in any case or a non-zero number is true; other words are false. The
// name alone prints without changing anything.
TEST(Variables, BoolSetAndEcho) {
  struct Row { char const* line; bool value; };
  Row const rows[] = {{"testFlag TRUE", true}, {"testFlag yes", false}, {"testFlag 7", true},
                      {"testFlag 0", false},   {"testFlag true", true}, {"testFlag", true}};
  for (Row const& r : rows) {
    EXPECT_EQ(runLine(r.line), std::string("testFlag := ") + (r.value ? "true" : "false") + "\n")
        << r.line;
    EXPECT_EQ(flag, r.value) << r.line;
  }
}

TEST(Variables, IntElementsFewerAndMoreValuesThanElements) {
  ints[0] = 5;
  ints[1] = 6;
  handlerCalls = 0;
  EXPECT_EQ(runLine("testInts 9"), "testInts := 9 6\n");
  EXPECT_EQ(runLine("testInts -3 12 99"), "testInts := -3 12\n");
  EXPECT_EQ(ints[0], -3);
  EXPECT_EQ(ints[1], 12);
  EXPECT_EQ(runLine("testInts"), "testInts := -3 12\n");
  // The hook runs after every use, also when only the name was typed.
  EXPECT_EQ(handlerCalls, 3);
}

TEST(Variables, FloatDoubleVectorAndQuaternion) {
  EXPECT_EQ(runLine("testSpeed"), "testSpeed := 1.000000\n");
  EXPECT_EQ(runLine("testSpeed 2"), "testSpeed := 2.000000\n");
  EXPECT_FLOAT_EQ(speed, 2.0f);

  EXPECT_EQ(runLine("testPrecise 0.1234567"), "testPrecise := 0.123457\n");
  EXPECT_DOUBLE_EQ(precise, 0.1234567);

  // Three values set three components, keep the fourth, run the hook, then
  // print all four after one ":=".
  handlerCalls = 0;
  EXPECT_EQ(runLine("testColour 1 0 0"), "testColour := 1.000000 0.000000 0.000000 1.000000\n");
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(colour.x, 1.0f);
  EXPECT_EQ(colour.w, 1.0f);

  EXPECT_EQ(runLine("testPosition 4 5 6 7"), "testPosition := 4.000000 5.000000 6.000000\n");
  EXPECT_EQ(position.z, 6.0f);
  EXPECT_EQ(runLine("testTurn 0 0 1 0"), "testTurn := 0.000000 0.000000 1.000000 0.000000\n");
  EXPECT_EQ(turn.z, 1.0f);
  EXPECT_EQ(turn.w, 0.0f);
}

TEST(Variables, NoStorageKindOnlyRunsItsHook) {
  handlerCalls = 0;
  EXPECT_EQ(runLine("testNoStorage a b"), "");
  EXPECT_EQ(handlerCalls, 1);
  EXPECT_EQ(lastArgs, (std::vector<std::string>{"testNoStorage", "a", "b"}));
}

// Truncated towards zero; out of the int range saturates instead of being undefined.
TEST(Variables, OwnedIntTruncatesTowardsZero) {
  struct Row { char const* line; int value; };
  Row const rows[] = {{"testWhole 2.9", 2},          {"testWhole -1.5", -1},
                      {"testWhole 12 99", 12},       {"testWhole 1e20", INT_MAX},
                      {"testWhole -1e20", INT_MIN},  {"testWhole 99999999999", INT_MAX}};
  for (Row const& r : rows) {
    EXPECT_EQ(runLine(r.line), "testWhole := " + std::to_string(r.value) + "\n") << r.line;
    EXPECT_EQ(static_cast<int>(wholeVar), r.value) << r.line;
  }

  // Code reads and writes through the operators.
  int& stored = (wholeVar = 41);
  ++stored;
  EXPECT_EQ(runLine("testWhole"), "testWhole := 42\n");
}

// The number checks as one table. A value that is not one whole finite number
// (for a float: one within the float range) is refused with one line, the old
// value kept and echoed; one bad component refuses the whole line.
TEST(Variables, ValuesThatAreNotFiniteNumbersAreRefused) {
  std::string const kept = "\" is not a finite number; the value stays as it was\n";
  speed = 2.0f;
  precise = 0.5;
  ints[0] = 1;
  ints[1] = 2;
  wholeVar = 3;
  realVar = 4.0f;
  colour = _vec<4, float>(0.25f, 0.5f, 0.75f, 1.0f);
  struct Row {
    char const *line, *refused, *echo;
  } const rows[] = {
      {"testSpeed abc", "abc", "testSpeed := 2.000000"},
      {"testSpeed 12abc", "12abc", "testSpeed := 2.000000"},
      {"testSpeed nan", "nan", "testSpeed := 2.000000"},
      {"testSpeed -inf", "-inf", "testSpeed := 2.000000"},
      {"testSpeed 1e39", "1e39", "testSpeed := 2.000000"},
      {"testSpeed 0x1.8p1", nullptr, "testSpeed := 3.000000"},
      {"testPrecise inf", "inf", "testPrecise := 0.500000"},
      {"testPrecise 1e-400", nullptr, "testPrecise := 0.000000"},
      {"testInts 7 abc", "abc", "testInts := 1 2"},
      {"testInts 99999999999 -99999999999", nullptr, "testInts := 2147483647 -2147483648"},
      {"testWhole nan", "nan", "testWhole := 3"},
      {"testWhole 1,5", "1,5", "testWhole := 3"},
      {"testReal INF", "INF", "testReal := 4.000000"},
      {"testColour 1 nan 1", "nan", "testColour := 0.250000 0.500000 0.750000 1.000000"},
      {"testColour 0 0 0 x", "x", "testColour := 0.250000 0.500000 0.750000 1.000000"},
  };
  for (Row const& r : rows) {
    std::string const name = std::string(r.line).substr(0, std::string(r.line).find(' '));
    EXPECT_EQ(runLine(r.line), (r.refused ? name + ": \"" + r.refused + kept : "") + r.echo + "\n") << r.line;
  }
  realVar = 0.0f;  // as OwnedFloat expects to find it
}

// The parsers the panel and commands share: blanks around the number are
// fine, nothing else is; a refusal leaves the output alone.
TEST(ParseNumber, WholeFiniteNumbersOnly) {
  struct Row {
    char const* text;
    bool isFloat;
    float f;
    bool isInt;
    int i;
  } const rows[] = {{" 2.5 ", true, 2.5f, true, 2},   {"-7", true, -7.0f, true, -7},
                    {"3e38", true, 3e38f, true, INT_MAX}, {"1e39", false, 9, true, INT_MAX},
                    {"nan", false, 9, false, 9},        {"1 2", false, 9, false, 9},
                    {"", false, 9, false, 9},           {nullptr, false, 9, false, 9}};
  for (Row const& r : rows) {
    float f = 9;
    int i = 9;
    EXPECT_EQ(parseFiniteFloat(r.text, f), r.isFloat) << (r.text ? r.text : "null");
    EXPECT_EQ(f, r.f) << (r.text ? r.text : "null");
    EXPECT_EQ(parseInt(r.text, i), r.isInt) << (r.text ? r.text : "null");
    EXPECT_EQ(i, r.i) << (r.text ? r.text : "null");
  }
}

TEST(Variables, OwnedFloat) {
  EXPECT_EQ(runLine("testReal"), "testReal := 0.000000\n");
  EXPECT_EQ(runLine("testReal 0.5"), "testReal := 0.500000\n");
  realVar = 1.25f;
  _cvar<float> const& readOnly = realVar;
  EXPECT_EQ(static_cast<float>(readOnly), 1.25f);
  // Streamed to the console as its value.
  testing::internal::CaptureStdout();
  con << "FPS: " << realVar << "\n";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "FPS: 1.25\n");
}

TEST(Commands, EchoKeepsSpacingAndQuotes) {
  EXPECT_EQ(runLine("echo hello world"), "hello world\n");
  EXPECT_EQ(runLine("echo a  b"), "a  b\n");
  EXPECT_EQ(runLine("echo \"quoted  text\" x"), "\"quoted  text\" x\n");
  EXPECT_EQ(runLine("echo"), "\n");
  EXPECT_EQ(runLine("echo a;echo b"), "a;echo b\n");
}

TEST(Commands, ListcmdsPatterns) {
  std::string all;
  for (int i = 0; i < cvarSys->size(); ++i) all += std::string(cvarSys->at(i)->name) + "\n";
  EXPECT_EQ(runLine("listcmds"), all);
  EXPECT_EQ(runLine("listcmds "), all);  // an empty pattern

  EXPECT_EQ(runLine("listcmds cam*"), "camKeys\ncamSpeed\ncamRot\ncamZoom\n");
  EXPECT_EQ(runLine("listcmds *Color"), "clearColor\n");
  EXPECT_EQ(runLine("listcmds echo"), "echo\n");
  EXPECT_EQ(runLine("listcmds ech"), "");

  std::string withA;
  for (int i = 0; i < cvarSys->size(); ++i)
    if (std::strchr(cvarSys->at(i)->name, 'a')) withA += std::string(cvarSys->at(i)->name) + "\n";
  EXPECT_EQ(runLine("listcmds *a*a"), withA);
}

TEST(Commands, PatternMatchingRules) {
  EXPECT_FALSE(cvarMatchPattern("cam*", "xcam"));
  EXPECT_TRUE(cvarMatchPattern("*FPS", "FPSthing"));  // characters may follow the last run
  EXPECT_TRUE(cvarMatchPattern("c**r", "clearColor"));
  EXPECT_FALSE(cvarMatchPattern("camSpeed", "camSpeedX"));
  EXPECT_FALSE(cvarMatchPattern("*ab*c", "cab"));
}
