// Where the effect's editor puts its controls and pictures, shared by the
// editor and by the program that draws the pictures, so that the labels, scales
// and frames of the background line up with the controls over them.
// Rectangles are in editor pixels: left, top, right, bottom (right and bottom
// excluded).
#pragma once

namespace editor_layout
{
struct Rect
{
  int L, T, R, B;
  constexpr int W() const { return R - L; }
  constexpr int H() const { return B - T; }
  constexpr int MidX() const { return (L + R) / 2; }
  constexpr int MidY() const { return (T + B) / 2; }
};

constexpr int kWidth = 620, kHeight = 580;

// The knobs, in parameter order (room size, dampening, width, dry, wet), with
// the label the background shows under each.
struct Knob
{
  Rect rect;
  const char* label;
  bool large; // the large strip, else the small one
};
constexpr Knob kKnobs[] = {{{230, 100, 390, 260}, "ROOM SIZE", true},
                           {{98, 124, 210, 236}, "DAMPENING", false},
                           {{410, 124, 522, 236}, "WIDTH", false},
                           {{170, 312, 282, 424}, "DRY", false},
                           {{338, 312, 450, 424}, "WET", false}};
constexpr int kKnobFrames = 101;
constexpr int kLargeKnobSize = 160, kKnobSize = 112; // frames are square

// The level meters: input left and right, output left and right.
constexpr Rect kMeters[] = {
    {26, 100, 40, 440}, {44, 100, 58, 440}, {562, 100, 576, 440}, {580, 100, 594, 440}};
constexpr int kMeterFrames = 60;
constexpr int kMeterWidth = 14, kMeterHeight = 340;

constexpr Rect kAboutTarget = {24, 14, 264, 62}; // the wordmark; a click shows the about picture
constexpr Rect kPresetMenu = {364, 24, 596, 52};
constexpr Rect kLink = {456, 536, 596, 564};

// The picture files, looked up by these names in the resource folder.
constexpr const char* kBackgroundImage = "bg.png";
constexpr const char* kLargeKnobImage = "knob_large.png";
constexpr const char* kKnobImage = "knob.png";
constexpr const char* kMeterImage = "meter.png";
constexpr const char* kAboutImage = "about.png";
} // namespace editor_layout
