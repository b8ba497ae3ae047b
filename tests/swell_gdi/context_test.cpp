// Memory contexts: buffer layout, and refusal of stale or foreign handles.
#include "swell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(MemContext, BufferIsAlignedZeroedAndWritableStaleAndForeignHandlesRefused)
{
  for (int w : {1, 3, 17})
  {
    HDC dc = SWELL_CreateMemContext(nullptr, w, 7);
    auto* p = static_cast<unsigned char*>(SWELL_GetCtxFrameBuffer(dc));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((uintptr_t)p % 64, 0u) << "width " << w;
    // The whole width x 4 x height range is zeroed and belongs to the context.
    for (int i = 0; i < w * 4 * 7; i++) ASSERT_EQ(p[i], 0) << "byte " << i;
    for (int i = 0; i < w * 4 * 7; i++) p[i] = (unsigned char)i;
    SWELL_DeleteGfxContext(dc);
    EXPECT_EQ(SWELL_GetCtxFrameBuffer(dc), nullptr);
    SWELL_DeleteGfxContext(dc); // second delete is refused, not a double free
  }
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 0, 5), nullptr);
  EXPECT_EQ(SWELL_CreateMemContext(nullptr, 5, -1), nullptr);

  // A freed record is not handed out again at once.
  HDC dc = SWELL_CreateMemContext(nullptr, 8, 8);
  SWELL_DeleteGfxContext(dc);
  std::vector<HDC> many;
  for (int i = 0; i < 16; i++) many.push_back(SWELL_CreateMemContext(nullptr, 2, 2));
  for (HDC h : many) EXPECT_NE(h, dc);
  for (HDC h : many) SWELL_DeleteGfxContext(h);

  int notAContext[16] = {};
  EXPECT_EQ(SWELL_GetCtxFrameBuffer(reinterpret_cast<HDC>(notAContext)), nullptr);
  SWELL_DeleteGfxContext(reinterpret_cast<HDC>(notAContext));
  SWELL_DeleteGfxContext(nullptr);
}
