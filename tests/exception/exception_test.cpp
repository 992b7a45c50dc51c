// Exceptions: messages streamed into an Error keep its type, and copies carry
// the whole text and are independent.
#include <gtest/gtest.h>

#include "base/exception.h"

// Chained << keeps the dynamic type, so no Exception handler catches an Error;
// the text survives throw and catch by value. Further text goes to the end of
// each copy's own text; assignment replaces it.
TEST(Exception, StreamedTypeTextAndIndependentCopies) {
  try {
    try {
      throw Error() << "disk " << 0 << ' ' << 1.5;
    } catch (Exception const&) {
      ADD_FAILURE() << "an Error caught as an Exception";
    }
  } catch (Error e) {
    EXPECT_EQ(e.message(), "disk 0 1.5");
  }
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
}
