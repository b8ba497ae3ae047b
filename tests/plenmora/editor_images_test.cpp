// The committed editor pictures: sizes, frame counts and transparency, and the
// knob and meter strips drawn again pixel for pixel. (Text is left out of the
// comparison: its pixels differ between FreeType versions.)
#include "editor_images.h"
#include "editor_layout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
using namespace editor_layout;

std::unique_ptr<LICE_IBitmap> LoadCommitted(const char* name)
{
  return std::unique_ptr<LICE_IBitmap>(
      LICE_LoadPNG((std::string(PLENMORA_IMAGE_DIR) + "/" + name).c_str()));
}

// The lowest alpha of the picture.
int MinAlpha(LICE_IBitmap* bm)
{
  int lowest = 255;
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
    {
      const int a = (int)LICE_GETA(LICE_GetPixel(bm, x, y));
      if (a < lowest) lowest = a;
    }
  return lowest;
}
} // namespace

TEST(EditorImages, CommittedPicturesHaveTheirSizesFramesAndTransparency)
{
  struct
  {
    const char* name;
    int frameW, frameH, frames;
    bool transparent; // some pixels see through, else every pixel is opaque
  } cases[] = {
      {kBackgroundImage, kWidth, kHeight, 1, false},
      {kLargeKnobImage, kLargeKnobSize, kLargeKnobSize, kKnobFrames, true},
      {kKnobImage, kKnobSize, kKnobSize, kKnobFrames, true},
      {kMeterImage, kMeterWidth, kMeterHeight, kMeterFrames, false},
      {kAboutImage, kWidth, kHeight, 1, true},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto bm = LoadCommitted(c.name);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->getWidth(), c.frameW);
    EXPECT_EQ(bm->getHeight(), c.frameH * c.frames);
    if (c.transparent)
      EXPECT_LT(MinAlpha(bm.get()), 255);
    else
      EXPECT_EQ(MinAlpha(bm.get()), 255);
  }
}

TEST(EditorImages, GeneratorDrawsTheCommittedStrips)
{
  struct
  {
    const char* name;
    std::unique_ptr<LICE_MemBitmap> drawn;
  } cases[] = {{kLargeKnobImage, editor_images::KnobStrip(kLargeKnobSize)},
               {kKnobImage, editor_images::KnobStrip(kKnobSize)},
               {kMeterImage, editor_images::MeterStrip()}};
  for (auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    auto committed = LoadCommitted(c.name);
    ASSERT_NE(committed, nullptr);
    int box[4] = {0, 0, 0, 0};
    EXPECT_EQ(LICE_BitmapCmp(c.drawn.get(), committed.get(), box), 0)
        << "differs in " << box[2] << " x " << box[3] << " pixels at " << box[0] << ", " << box[1]
        << " (cmake --build BUILD --target plenmora_images redraws them)";
  }
}
