// The committed editor pictures: sizes, frame counts and transparency, and the
// knob and meter strips drawn again pixel for pixel. (Text is left out of the
// comparison: its pixels differ between FreeType versions.)
#include "editor_images.h"
#include "editor_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

using namespace editor_layout;

TEST(EditorImages, CommittedPicturesHaveTheirSizesFramesAndTransparencyAndTheGeneratedStrips)
{
  struct
  {
    const char* name;
    int frameW, frameH, frames;
    bool transparent;                      // some pixels see through, else every pixel is opaque
    std::unique_ptr<LICE_MemBitmap> drawn; // what the generator draws, if it draws it
  } cases[] = {
      {kBackgroundImage, kWidth, kHeight, 1, false, nullptr},
      {kLargeKnobImage, kLargeKnobSize, kLargeKnobSize, kKnobFrames, true,
       editor_images::KnobStrip(kLargeKnobSize)},
      {kKnobImage, kKnobSize, kKnobSize, kKnobFrames, true, editor_images::KnobStrip(kKnobSize)},
      {kMeterImage, kMeterWidth, kMeterHeight, kMeterFrames, false, editor_images::MeterStrip()},
      {kAboutImage, kWidth, kHeight, 1, true, nullptr},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    std::unique_ptr<LICE_IBitmap> bm(
        LICE_LoadPNG((std::string(PLENMORA_IMAGE_DIR) + "/" + c.name).c_str()));
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->getWidth(), c.frameW);
    EXPECT_EQ(bm->getHeight(), c.frameH * c.frames);
    int lowestAlpha = 255;
    for (int y = 0; y < bm->getHeight(); ++y)
      for (int x = 0; x < bm->getWidth(); ++x)
        lowestAlpha = std::min(lowestAlpha, (int)LICE_GETA(LICE_GetPixel(bm.get(), x, y)));
    EXPECT_EQ(c.transparent, lowestAlpha < 255);
    int box[4] = {0, 0, 0, 0};
    EXPECT_TRUE(!c.drawn || LICE_BitmapCmp(c.drawn.get(), bm.get(), box) == 0)
        << "differs in " << box[2] << " x " << box[3] << " pixels at " << box[0] << ", " << box[1]
        << " (cmake --build BUILD --target plenmora_images redraws them)";
  }
}
