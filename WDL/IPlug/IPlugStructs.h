// Value records shared by the plug-in core, the editor and the host.
#pragma once

#include <cstdint>
#include <cstring>

class LICE_IBitmap;
class LICE_IFont;

// An integer rectangle in editor pixels, y downward; right and bottom are
// exclusive. The all-zero rectangle is the empty one.
struct IRECT
{
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
  // One frame of a bitmap placed at (x, y).
  IRECT(int x, int y, const struct IBitmap* bitmap);

  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  void Clear() { L = T = R = B = 0; }
  int W() const { return R - L; }
  int H() const { return B - T; }
  float MW() const { return 0.5f * (float)(L + R); }
  float MH() const { return 0.5f * (float)(T + B); }

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }

  bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  bool Contains(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && o.L >= L && o.R <= R && o.T >= T && o.B <= B;
  }
  bool Intersects(const IRECT& o) const
  {
    return !Empty() && !o.Empty() && !(R < o.L || L >= o.R || B < o.T || T >= o.B);
  }
  IRECT Intersect(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(L > o.L ? L : o.L, T > o.T ? T : o.T, R < o.R ? R : o.R, B < o.B ? B : o.B);
  }
  IRECT Union(const IRECT& o) const
  {
    if (Empty()) return o;
    if (o.Empty()) return *this;
    return IRECT(L < o.L ? L : o.L, T < o.T ? T : o.T, R > o.R ? R : o.R, B > o.B ? B : o.B);
  }
  // Slice i of n equal slices (integer sizes); the whole rectangle when n < 1.
  IRECT SubRectVertical(int n, int i) const
  {
    if (n < 1) return *this;
    const int h = H() / n;
    return IRECT(L, T + i * h, R, T + (i + 1) * h);
  }
  IRECT SubRectHorizontal(int n, int i) const
  {
    if (n < 1) return *this;
    const int w = W() / n;
    return IRECT(L + i * w, T, L + (i + 1) * w, B);
  }
};

// v limited to 0..1, NaN to 0: for fractions that become pixel positions.
template <class T> inline T Clamp01(T v) { return v > T(0) ? (v < T(1) ? v : T(1)) : T(0); }

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;
  IColor() = default;
  IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

extern const IColor COLOR_TRANSPARENT, COLOR_BLACK, COLOR_GRAY, COLOR_WHITE, COLOR_RED, COLOR_GREEN,
    COLOR_BLUE, COLOR_YELLOW, COLOR_ORANGE;
extern const IColor DEFAULT_TEXT_COLOR, DEFAULT_TEXT_ENTRY_BGCOLOR, DEFAULT_TEXT_ENTRY_FGCOLOR;

#define DEFAULT_FONT "Arial"
#define DEFAULT_TEXT_SIZE 10
#define FONT_LEN 32

struct IText
{
  enum EStyle
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };
  enum EQuality
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased,
    kQualityAntiAliased,
    kQualityClearType
  };

  char mFont[FONT_LEN];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  int mStyle;
  int mAlign;
  int mOrientation;
  int mQuality;
  LICE_IFont* mCached = nullptr;

  // A null colour or face takes the default colour and face.
  explicit IText(int size = DEFAULT_TEXT_SIZE, const IColor* color = nullptr,
                 const char* font = nullptr, int style = kStyleNormal, int align = kAlignCenter,
                 int orientation = 0, int quality = kQualityDefault,
                 const IColor* textEntryBGColor = nullptr,
                 const IColor* textEntryFGColor = nullptr);
  explicit IText(const IColor* color);
};

struct IBitmap
{
  LICE_IBitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(LICE_IBitmap* data, int w, int h, int n = 1, bool horizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(horizontal)
  {
  }
  // The size of one frame.
  int frameWidth() const { return mFramesAreHorizontal && N > 0 ? W / N : W; }
  int frameHeight() const { return !mFramesAreHorizontal && N > 0 ? H / N : H; }
};

struct IChannelBlend
{
  enum EBlendMethod
  {
    kBlendNone = 0,
    kBlendClobber = 1,
    kBlendAdd = 2,
    kBlendColorDodge = 3
  };
  int mMethod;
  float mWeight;
  explicit IChannelBlend(int method = kBlendNone, float weight = 1.0f)
      : mMethod(method), mWeight(weight)
  {
  }
};

struct IMouseMod
{
  bool L, R, S, C, A;
  IMouseMod(bool l = false, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a)
  {
  }
};

struct IMidiMsg
{
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  int mOffset;
  uint8_t mStatus, mData1, mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  // The message kind: the status byte's high four bits when they are 8..14.
  EStatusMsg StatusMsg() const
  {
    const unsigned kind = mStatus >> 4;
    return kind >= kNoteOff && kind <= kPitchWheel ? (EStatusMsg)kind : kNone;
  }
  int Channel() const { return mStatus & 0x0f; }
};

struct ISysEx
{
  int mOffset;
  int mSize;
  const uint8_t* mData;
  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
      : mOffset(offset), mSize(size), mData(data)
  {
  }
};

// The host's transport; the stand-alone host has none and leaves it alone.
struct ITimeInfo
{
  double mTempo = -1.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = -1;
  int mDenominator = -1;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
