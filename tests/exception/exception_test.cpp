// Exceptions: messages streamed in keep their type, copies carry the whole
// text and are independent, and the stream operator writes the bare text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <type_traits>

#include "base/exception.h"

static_assert(std::is_base_of<Throwable, Exception>::value, "Exception is a Throwable");
static_assert(std::is_base_of<Throwable, Error>::value, "Error is a Throwable");
static_assert(!std::is_base_of<Exception, Error>::value, "Error is not recoverable");

namespace {

void failWith(std::string const& file, int line) {
  throw Exception() << "cannot read " << file << " at line " << line;
}

// The message of the E that f throws; anything else escapes to the test.
template <class E, class F>
std::string caught(F f) {
  try {
    f();
  } catch (E const& e) {
    return e.message();
  }
  return "nothing thrown";
}

}  // namespace

// Streaming keeps the dynamic type (an Error chained with << is still an Error,
// which no Exception handler catches) and the text survives throw and catch.
TEST(Exception, StreamedMessageSurvivesThrowAndCatch) {
  EXPECT_EQ(caught<Exception>([] { failWith("bumptest.bmp", 42); }),
            "cannot read bumptest.bmp at line 42");
  EXPECT_EQ(caught<Error>([] { throw Error() << "fatal"; }), "fatal");
  EXPECT_EQ(caught<Throwable>([] { throw Exception() << "base"; }), "base");

  // Thrown and caught by value: the copies carry the text.
  try {
    Error e;
    e << 1.5 << ' ' << -3 << " units";
    throw e;
  } catch (Error e) {
    EXPECT_EQ(e.message(), "1.5 -3 units");
  }
}

TEST(Exception, CopiesCarryWholeTextAndAreIndependent) {
  Exception original;
  original << "first part, ";
  original << 7;
  Exception copy(original);
  EXPECT_EQ(copy.message(), "first part, 7");

  // Further text goes to the end of the copy's own stream, not the source's.
  copy << " more";
  original << " other";
  EXPECT_EQ(copy.message(), "first part, 7 more");
  EXPECT_EQ(original.message(), "first part, 7 other");

  // Assignment replaces the text and appends after it.
  Exception target;
  target << "old text that is longer than the new one";
  target = original;
  EXPECT_EQ(target.message(), "first part, 7 other");
  target << "!";
  EXPECT_EQ(target.message(), "first part, 7 other!");
  target = target;
  EXPECT_EQ(target.message(), "first part, 7 other!");

  // A copy of an empty exception is empty and still writable.
  Error empty;
  Error emptyCopy(empty);
  EXPECT_EQ(emptyCopy.message(), "");
  emptyCopy << "x";
  EXPECT_EQ(emptyCopy.message(), "x");
}

TEST(Exception, StreamOperatorWritesBareText) {
  Exception e;
  e << "bad file " << 3;
  std::ostringstream out;
  std::ostream& r = out << "caught an exception: " << e;
  EXPECT_EQ(&r, &out);
  EXPECT_EQ(out.str(), "caught an exception: bad file 3");  // no line end added

  // Writing does not consume the message.
  std::ostringstream again;
  again << static_cast<Throwable const&>(e) << '|' << e;
  EXPECT_EQ(again.str(), "bad file 3|bad file 3");
}
