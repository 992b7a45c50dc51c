// Text layout without a screen (measuring, line breaks, word wrap) and widget size clamping.
#include <gtest/gtest.h>

#include <limits>

#include "menu/menu.h"

namespace {

using pwn::Vec2;
using Ptr = gc::GlobalPointer<pwn::Object>;
float const inf = std::numeric_limits<float>::infinity();

TEST(Layout, SizesAreClampedAtZero) {
  Ptr o(new pwn::Object(Vec2(0, 0), Vec2(-3, 4)));
  EXPECT_EQ(o->getSize(), Vec2(0, 4));
  o->setSize(Vec2(5, -1));
  EXPECT_EQ(o->getSize(), Vec2(5, 0));
}

// Lines end at CR LF, LF or a lone CR; the box height drops the rest. Only the
// last separator before a word (any control code) may break, when word + pen x
// + 1 >= box width. Glyphs count from the cell's left edge; codes of 224 and up
// take entry (n - 32) mod 192, control codes are drawn as spaces.
TEST(Layout, LineBreaksWordWrapAndGlyphWidths) {
  struct { char const* text; Vec2 box, font, size; } const cases[] = {
      {"", Vec2(inf, inf), Vec2(2, 3), Vec2(0, 3)},
      {"a\r\nb", Vec2(inf, inf), Vec2(1, 1), Vec2(1, 2)},
      {"a\n\rb", Vec2(inf, inf), Vec2(1, 1), Vec2(1, 3)},
      {"ab\ncde\n", Vec2(inf, inf), Vec2(2, 1), Vec2(6, 3)},
      {"a\nbbbb\nc", Vec2(inf, 1.5f), Vec2(1, 1), Vec2(4, 3)},
      {"b\ncc", Vec2(inf, 1), Vec2(1, 1), Vec2(1, 2)},
      {"bbbb   cccc", Vec2(8, inf), Vec2(1, 1), Vec2(5, 2)},  // the space is 0.5 wide
      {"bb cc", Vec2(5.5f, inf), Vec2(1, 1), Vec2(4.5f, 1)},
      {"bb cc", Vec2(5, inf), Vec2(1, 1), Vec2(2, 2)},
      {"bb cc", Vec2(9, inf), Vec2(2, 1), Vec2(4, 2)},
      {"bb\tcc", Vec2(4, inf), Vec2(1, 1), Vec2(2, 2)},
      {"bcdefghi jk", Vec2(4, inf), Vec2(1, 1), Vec2(8, 2)},
      {"a", Vec2(inf, inf), Vec2(1, 1), Vec2(0.75f, 1)},  // 'a' runs from 0.25 to 0.75
      {"aa", Vec2(inf, inf), Vec2(4, 1), Vec2(5, 1)},
      {"x aa", Vec2(3.5f, inf), Vec2(1, 1), Vec2(2.75f, 1)},
      {"x aa", Vec2(3, inf), Vec2(1, 1), Vec2(1.25f, 2)},
      {"\xE0\x01", Vec2(inf, inf), Vec2(1, 1), Vec2(1, 1)},
      {"\xE1", Vec2(inf, inf), Vec2(1, 1), Vec2(0.25f, 1)},
  };
  pwn::fontTex.resetGlyphs();
  pwn::fontTex.glyphs['a' - 32] = {0.25f, 0.75f};
  pwn::fontTex.glyphs[0] = {0.0f, 0.5f};
  pwn::fontTex.glyphs[1] = {0.0f, 0.25f};
  for (auto const& c : cases)
    EXPECT_EQ(pwn::doMenuDisplayText(Vec2(0, 0), c.box, c.text, 0, c.font, false), c.size) << c.text << ' ' << c.box.x;
  // Transparent text is not laid out when drawn; text sizes count one more space.
  EXPECT_EQ(pwn::doMenuDisplayText(Vec2(0, 0), Vec2(inf, inf), "abc", 0x00FFFFFF, Vec2(1, 1), true), Vec2(0, 0));
  EXPECT_EQ(pwn::menuTextSize("bc", Vec2(inf, inf), Vec2(2, 1)), Vec2(5, 1));
}

}  // namespace
