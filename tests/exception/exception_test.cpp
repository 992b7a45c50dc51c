// Exceptions: messages streamed in keep the thrown type, copies carry the whole
// text and are independent, and the stream operator writes the bare text.
#include <gtest/gtest.h>

#include <sstream>
#include <type_traits>

#include "base/exception.h"

static_assert(!std::is_base_of<Exception, Error>::value, "an Error is no recoverable Exception");

// Chained << keeps the dynamic type, so no Exception handler catches an Error;
// the text survives throw and catch, by value or as a Throwable.
TEST(Exception, StreamedMessageKeepsTypeAndText) {
  try {
    try {
      throw Error() << "disk " << 0 << ' ' << 1.5;
    } catch (Exception const&) {
      ADD_FAILURE() << "an Error caught as an Exception";
    }
  } catch (Error e) {
    EXPECT_EQ(e.message(), "disk 0 1.5");
  }
  try {
    throw Exception() << "cannot read " << "a.bmp";
  } catch (Throwable const& t) {
    EXPECT_EQ(t.message(), "cannot read a.bmp");
  }
}

// Further text goes to the end of each copy's own text; assignment replaces it.
TEST(Exception, CopiesAreWholeAndIndependent) {
  Exception original;
  original << "first, " << 7;
  Exception copy(original), target;
  copy << " more";
  original << " other";
  EXPECT_EQ(copy.message(), "first, 7 more");
  EXPECT_EQ(original.message(), "first, 7 other");
  target << "old text that is longer than the new one";
  target = original;
  target = target;
  target << "!";
  EXPECT_EQ(target.message(), "first, 7 other!");
  Error empty, emptyCopy(empty);
  emptyCopy << "x";
  EXPECT_EQ(emptyCopy.message(), "x");
}

TEST(Exception, StreamOperatorWritesTheBareTextAndKeepsIt) {
  Exception e;
  e << "bad file " << 3;
  std::ostringstream out;
  out << static_cast<Throwable const&>(e) << '|' << e;
  EXPECT_EQ(out.str(), "bad file 3|bad file 3");
}
