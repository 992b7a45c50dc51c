// The loading commands' option words: options before the name only, names with spaces or '-' inside or starting with
// '-', refusals.
#include <gtest/gtest.h>

#include "LoadOptions.h"

TEST(LoadOptions, OptionsComeFirstAndTheRestIsTheName) {
  LoadOptions o;
  std::string error;
  ASSERT_TRUE(parseLoadOptions("normalMap", {"-flipgreen", "fine", "detail.bmp"}, {"-flipgreen"}, o, error)) << error;
  EXPECT_TRUE(o.has("-flipgreen") && o.file == "fine detail.bmp");
  // Extra spaces between options are passed over; inside the name they stay.
  ASSERT_TRUE(parseLoadOptions("normalMap", {"", "-flipgreen", "", "-flipgreen", "a", "", "-b.png"}, {"-flipgreen"}, o, error));
  EXPECT_TRUE(o.given.size() == 1 && o.file == "a  -b.png") << o.file;
  // No options; a quoted name and one written ./-name may start with '-'.
  ASSERT_TRUE(parseLoadOptions("normalMap", {"\"-odd", "name.png\""}, {"-flipgreen"}, o, error));
  EXPECT_TRUE(o.given.empty() && o.file == "-odd name.png");
  ASSERT_TRUE(parseLoadOptions("scene", {"-flipv", "./-mesh.obj"}, {"-flipv"}, o, error));
  EXPECT_TRUE(o.has("-flipv") && !o.has("-flipgreen") && o.file == "./-mesh.obj");
}

TEST(LoadOptions, UnknownOptionsAndMissingNamesAreRefusedLeavingTheOutputAlone) {
  LoadOptions o;
  o.file = "kept";
  std::string error;
  EXPECT_FALSE(parseLoadOptions("heightMap", {"-flipgreen", "h.png"}, {"-invert", "-x"}, o, error));
  EXPECT_EQ(error, "heightMap: unknown option \"-flipgreen\"; it takes -invert or -x before the file name "
                   "(a file whose name starts with - is given as ./-flipgreen)");
  EXPECT_FALSE(parseLoadOptions("colorMap", {"-invert", "c.png"}, {}, o, error));
  EXPECT_NE(error.find("it takes none before"), std::string::npos) << error;
  EXPECT_FALSE(parseLoadOptions("normalMap", {"-flipgreen", ""}, {"-flipgreen"}, o, error));
  EXPECT_EQ(error, "usage: normalMap [-flipgreen] FILE");
  EXPECT_FALSE(parseLoadOptions("normalMap", {}, {"-flipgreen"}, o, error));
  EXPECT_TRUE(o.file == "kept" && o.given.empty()) << o.file;
}
