// Fuzz target: PNG decoding from memory into new, given and bottom-up
// bitmaps, then every decoded pixel is read.
#include "lice.h"

#include <climits>
#include <cstddef>
#include <cstdint>

namespace
{
class BottomUpBitmap : public LICE_MemBitmap
{
public:
  BottomUpBitmap() : LICE_MemBitmap(1, 1, 4) {}
  bool isFlipped() override { return true; }
};

// Touches every pixel so that a bitmap smaller than it claims shows up.
void ReadAll(LICE_IBitmap* bm)
{
  LICE_MemBitmap small(7, 5, 4);
  LICE_ScaledBlit(&small, bm, 0, 0, 7, 5, 0, 0, (float)bm->getWidth(), (float)bm->getHeight(), 1.0f,
                  0);
  LICE_Blit(&small, bm, 0, 0, nullptr, 0.5f, LICE_BLIT_USE_ALPHA);
  volatile LICE_Pixel sum = 0;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) sum = sum + LICE_GetPixel(bm, x, y);
}
} // namespace

// One bitmap at a time: an accepted image may take up to 256 MB, and the
// run's memory is limited.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const int len = size > (size_t)INT_MAX ? INT_MAX : (int)size;
  if (LICE_IBitmap* bm = LICE_LoadPNGFromMemory(data, len, nullptr))
  {
    ReadAll(bm);
    delete bm;
  }
  {
    LICE_MemBitmap given(3, 3, 4);
    if (LICE_LoadPNGFromMemory(data, len, &given)) ReadAll(&given);
  }
  BottomUpBitmap flipped;
  if (LICE_LoadPNGFromMemory(data, len, &flipped)) ReadAll(&flipped);
  return 0;
}
