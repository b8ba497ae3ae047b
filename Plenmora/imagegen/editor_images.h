// The pictures of the effect's editor, drawn with the raster library: the
// background, the knob and meter strips and the about picture. The program
// make_images writes them into the effect's resource folder; the tests draw
// the strips again and compare them with the files.
#pragma once

#include "editor_layout.h"
#include "lice.h"

#include <memory>
#include <string>
#include <vector>

namespace editor_images
{
// editor_layout::kKnobFrames square frames of size x size pixels stacked
// vertically; frame k shows the value k / (frames - 1). Transparent around the
// knob.
std::unique_ptr<LICE_MemBitmap> KnobStrip(int size);
// editor_layout::kMeterFrames frames of the meter, stacked vertically; frame f
// lights the bar up to f / (frames - 1) of its height. Opaque.
std::unique_ptr<LICE_MemBitmap> MeterStrip();
// A text drawn into a picture: its colour and the bounding box of its ink.
struct Text
{
  std::string text;
  LICE_Pixel color;
  editor_layout::Rect ink;
};

// The whole editor behind the controls. Opaque. With texts, every text drawn
// is added there.
std::unique_ptr<LICE_MemBitmap> Background(std::vector<Text>* texts = nullptr);
// The about picture: the editor dimmed, with a panel naming the product.
std::unique_ptr<LICE_MemBitmap> AboutPicture(std::vector<Text>* texts = nullptr);

// Draws every picture and writes it into folder under its resource name.
// Prints what failed and returns false when a file could not be written.
bool WriteAll(const char* folder);
} // namespace editor_images
