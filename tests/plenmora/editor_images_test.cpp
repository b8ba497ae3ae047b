// The committed editor pictures: sizes, frame counts and transparency, and the
// knob and meter strips drawn again pixel for pixel. (Text is left out of the
// comparison: its pixels differ between FreeType versions.)
#include "editor_images.h"
#include "editor_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Every text of the background and the about picture reads well: a contrast
// of at least 4.5:1 (relative luminance, as the guides for small text count
// it) against every pixel around its ink, and at least 6 pixels between its
// ink and the editor's edges.
TEST(EditorImages, TextsStandOutFromWhatLiesBehindThemAndKeepOffTheEdges)
{
  auto luminance = [](LICE_Pixel p)
  {
    auto lin = [](unsigned c)
    {
      const double v = c / 255.0;
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(LICE_GETR(p)) + 0.7152 * lin(LICE_GETG(p)) + 0.0722 * lin(LICE_GETB(p));
  };
  for (auto draw : {editor_images::Background, editor_images::AboutPicture})
  {
    std::vector<editor_images::Text> texts;
    const std::unique_ptr<LICE_MemBitmap> bm = draw(&texts);
    ASSERT_GE(texts.size(), 5u);
    for (const editor_images::Text& t : texts)
    {
      const Rect& r = t.ink;
      EXPECT_TRUE(r.L >= 6 && r.T >= 6 && r.R <= kWidth - 6 && r.B <= kHeight - 6)
          << t.text << " at " << r.L << ", " << r.T << " to " << r.R << ", " << r.B;
      double lowest = 21.0;
      for (int y = r.T - 1; y <= r.B; ++y)
        for (int x = r.L - 1; x <= r.R; x += (y < r.T || y == r.B) ? 1 : r.W() + 1)
        {
          const double a = luminance(t.color) + 0.05,
                       b = luminance(LICE_GetPixel(bm.get(), x, y)) + 0.05;
          lowest = std::min(lowest, std::max(a, b) / std::min(a, b));
        }
      EXPECT_GE(lowest, 4.5) << t.text;
    }
  }
}
