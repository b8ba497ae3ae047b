// Memory bitmaps: sizes too large to hold fail cleanly.
#include "lice.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

TEST(MemBitmap, SizesBeyondIntFailInsteadOfWrapping)
{
  // 65536 x 65536 x 4 bytes wraps to 0 in 32 bits; 46341^2 * 4 wraps to a
  // small positive size. Both must fail cleanly.
  const int sides[][2] = {{65536, 65536},  {46341, 46341}, {INT_MAX, 2},
                          {0x40000000, 1}, {-10, -10},     {-1, 5}};
  for (auto& s : sides)
  {
    LICE_MemBitmap bm(4, 4, 4);
    EXPECT_TRUE(bm.resize(s[0], s[1]));
    EXPECT_EQ(bm.getWidth() | bm.getHeight() | bm.getRowSpan(), 0) << s[0] << " x " << s[1];
    EXPECT_EQ(bm.getBits(), nullptr);
  }
}
