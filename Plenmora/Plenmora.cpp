#include "Plenmora.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "IControls.h"
#include "IGraphicsGtk.h"
#include "Plenmora_controls.h"
#include "editor_layout.h"
#include "editor_pictures.h"
#include "mutex.h"
#include "swell-resources.h"

namespace
{
constexpr int FourCC(const char (&c)[5])
{
  return (int)(((unsigned)(unsigned char)c[0] << 24) | ((unsigned)(unsigned char)c[1] << 16) |
               ((unsigned)(unsigned char)c[2] << 8) | (unsigned)(unsigned char)c[3]);
}

constexpr const char* kBundleID = "com.Vorlane.standalone.Plenmora";
constexpr const char* kEffectName = "Plenmora";
constexpr const char* kProductName = "Plenmora";
constexpr const char* kMfrName = "Vorlane";
constexpr const char* kChannelIO = "1-1 2-2";
constexpr int kUniqueID = FourCC("Plnm");
constexpr int kMfrID = FourCC("Vrln");
constexpr int kLatency = 0;

// The editor's pictures, by resource ID.
enum EImages
{
  kBackgroundID = 100,
  kKnobID,
  kLargeKnobID,
  kMeterID,
  kAboutID,
};
constexpr double kKnobGearing = 4.0;
constexpr const char* kEditorFont = "Liberation Sans";
constexpr int kPresetNameSize = 14;
constexpr const char* kLinkURL = "https://vorlane.example/videos";

struct ParamInfo
{
  const char* name;
  double defaultValue;
};

// In EParams order. Every parameter is a percentage, 0 to 100.
constexpr ParamInfo kParamInfo[Plenmora::kNumParams] = {
    {"Room Size", 50.0}, {"Dampening", 50.0}, {"Width", 100.0}, {"Dry", 100.0}, {"Wet", 30.0},
};

struct FactoryPreset
{
  const char* name;
  double roomSize, dampening, width, dry, wet;
};

constexpr FactoryPreset kFactoryPresets[Plenmora::kNumPresets] = {
    {"Default", 50, 50, 100, 100, 30},       {"Small Room", 20, 60, 80, 100, 25},
    {"Medium Room", 40, 50, 90, 100, 28},    {"Large Room", 60, 45, 100, 100, 30},
    {"Vocal Booth", 10, 70, 60, 100, 20},    {"Drum Room", 35, 30, 100, 100, 35},
    {"Live Room", 45, 40, 100, 100, 30},     {"Wood Chamber", 50, 65, 90, 100, 32},
    {"Stone Chamber", 65, 20, 100, 100, 35}, {"Small Hall", 70, 45, 100, 100, 30},
    {"Concert Hall", 82, 40, 100, 100, 32},  {"Large Hall", 88, 35, 100, 90, 35},
    {"Cathedral", 96, 30, 100, 85, 40},      {"Church", 90, 50, 100, 90, 35},
    {"Bright Plate", 70, 5, 100, 100, 30},   {"Dark Plate", 70, 80, 100, 100, 30},
    {"Vocal Plate", 60, 35, 80, 100, 25},    {"Snare Plate", 55, 15, 100, 100, 40},
    {"Ambience", 25, 50, 100, 100, 15},      {"Tight Ambience", 12, 55, 100, 100, 12},
    {"Wide Space", 75, 40, 100, 100, 35},    {"Narrow Space", 60, 45, 20, 100, 30},
    {"Mono Verb", 60, 50, 0, 100, 30},       {"Warm Hall", 80, 75, 100, 100, 30},
    {"Cold Hall", 80, 10, 100, 100, 30},     {"Cave", 98, 60, 100, 80, 45},
    {"Tunnel", 85, 25, 40, 90, 40},          {"Garage", 45, 15, 90, 100, 30},
    {"Tiled Room", 30, 5, 70, 100, 35},      {"Endless Wash", 100, 50, 100, 60, 60},
    {"Wet Only", 70, 50, 100, 0, 100},
};

// The largest magnitude among the finite samples: the reverb takes an
// infinite or NaN sample as silence, and so do the meters. (A NaN never wins
// the comparison; an infinity is rare enough to look again for.)
double PeakOf(const double* buf, int n)
{
  double peak = 0.0;
  for (int i = 0; i < n; ++i)
  {
    const double a = std::fabs(buf[i]);
    if (a > peak) peak = a;
  }
  if (peak > DBL_MAX)
  {
    peak = 0.0;
    for (int i = 0; i < n; ++i)
    {
      const double a = std::fabs(buf[i]);
      if (a > peak && a <= DBL_MAX) peak = a;
    }
  }
  return peak;
}
} // namespace

Plenmora::Plenmora(IPlugInstanceInfo instanceInfo)
    : IPlugStandalone(instanceInfo, kNumParams, kChannelIO, kNumPresets, kEffectName, kProductName,
                      kMfrName, kVersion, kUniqueID, kMfrID, kLatency, false /* MIDI */,
                      false /* chunks */, false /* instrument */, 0 /* side-chain channels */)
{
  InitParameters();
  MakeFactoryPresets();
  mReverb.SetSampleRate(GetSampleRate());
  for (int i = 0; i < kNumParams; ++i) OnParamChange(i);
  CreateEditor(instanceInfo);
}

Plenmora::~Plenmora() = default;

void Plenmora::InitParameters()
{
  for (int i = 0; i < kNumParams; ++i)
    GetParam(i)->InitDouble(kParamInfo[i].name, kParamInfo[i].defaultValue, 0.0, 100.0, 0.1, "%");
}

void Plenmora::MakeFactoryPresets()
{
  for (const FactoryPreset& p : kFactoryPresets)
    MakePreset(p.name, p.roomSize, p.dampening, p.width, p.dry, p.wet);
}

// The editor: background, the five parameter knobs, the four level meters
// (whose control indexes go to mMeterControlIdx), the link, the preset menu
// and, on top of them all, the about overlay, on a 620 x 580 surface. Without
// all of its pictures, each of the size the layout gives it, the effect makes
// no editor: GetGUI() stays null and GetGUIProblem() says why.
void Plenmora::CreateEditor(const IPlugInstanceInfo& instanceInfo)
{
  using namespace editor_layout;
  std::string problem;
  if (!editor_pictures::Wait(&problem))
  {
    fprintf(stderr, "%s: no editor: %s\n", kEffectName, problem.c_str());
    SetGUIProblem(problem.c_str());
    return;
  }
  IGraphicsGtk* g =
      editor_pictures::MakeGraphics(this, editor_layout::kWidth, editor_layout::kHeight);
  g->SetBundleID(instanceInfo.mBundleID.Get());

  IBitmap bg = g->LoadIBitmap(kBackgroundID, kBackgroundImage);
  IBitmap knob = g->LoadIBitmap(kKnobID, kKnobImage, kKnobFrames);
  IBitmap largeKnob = g->LoadIBitmap(kLargeKnobID, kLargeKnobImage, kKnobFrames);
  IBitmap meter = g->LoadIBitmap(kMeterID, kMeterImage, kMeterFrames);
  IBitmap about = g->LoadIBitmap(kAboutID, kAboutImage);
  for (const IBitmap* b : {&bg, &knob, &largeKnob, &meter, &about})
    if (!b->mData)
    {
      // LoadIBitmap has named the picture.
      fprintf(stderr, "%s: no editor without its pictures; they are looked up in %s\n", kEffectName,
              SWELL_GetResourcePath());
      delete g;
      return;
    }

  g->AttachBackground(kBackgroundID, kBackgroundImage);
  for (int i = 0; i < kNumParams; ++i)
    g->AttachControl(new IKnobMultiControl(this, kKnobs[i].rect.L, kKnobs[i].rect.T, i,
                                           kKnobs[i].large ? &largeKnob : &knob, kDirectionVertical,
                                           kKnobGearing));
  for (int m = 0; m < kNumMeters; ++m)
  {
    mMeterControlIdx[m] = g->AttachControl(
        new IBitmapControl(this, kMeters[m].L, kMeters[m].T, &meter, IChannelBlend::kBlendNone));
    // A control takes the first value from the plug-in without drawing it:
    // give each meter its resting level (the frame UpdateMeters assumes it
    // shows) before the audio thread can reach the editor, so that the first
    // level it sends is drawn.
    g->SetControlFromPlug(mMeterControlIdx[m], 0.0);
  }
  g->AttachControl(new IURLControl(this, IRECT(kLink.L, kLink.T, kLink.R, kLink.B), kLinkURL));
  const IColor nameColor(255, 224, 228, 234);
  const IText nameText(kPresetNameSize, &nameColor, kEditorFont, IText::kStyleBold,
                       IText::kAlignNear, 0, IText::kQualityAntiAliased);
  g->AttachControl(new IPresetMenu(
      this, IRECT(kPresetMenu.L, kPresetMenu.T, kPresetMenu.R, kPresetMenu.B), &nameText));
  mAboutOverlay = new IBitmapOverlayControl(
      this, 0, 0, &about, IRECT(kAboutTarget.L, kAboutTarget.T, kAboutTarget.R, kAboutTarget.B));
  g->AttachControl(mAboutOverlay);

  // Each dirty control is drawn with what lies under it and over it, not the
  // bounding box of all of them: the meters at both sides would otherwise
  // redraw the whole editor on every frame. The pixels are the same.
  g->SetStrictDrawing(false);
  AttachGraphics(g);
}

void Plenmora::Reset()
{
  IMutexLock lock(this);
  mReverb.SetSampleRate(GetSampleRate());
  for (double& level : mMeterLevel) level = 0.0;
}

void Plenmora::OnParamChange(int paramIdx)
{
  IMutexLock lock(this);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  const double value = param->Value();
  switch (paramIdx)
  {
    case kRoomSize:
      mReverb.SetRoomSize(value);
      break;
    case kDampening:
      mReverb.SetDampening(value);
      break;
    case kWidth:
      mReverb.SetWidth(value);
      break;
    case kDry:
      mReverb.SetDry(value);
      break;
    case kWet:
      mReverb.SetWet(value);
      break;
    default:
      break;
  }
}

void Plenmora::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  // The input peaks first: the host may process in place.
  const double inPeakL = PeakOf(inputs[0], nFrames), inPeakR = PeakOf(inputs[1], nFrames);
  mReverb.ProcessSampleBlock(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
  const double peaks[kNumMeters] = {inPeakL, inPeakR, PeakOf(outputs[0], nFrames),
                                    PeakOf(outputs[1], nFrames)};
  UpdateMeters(peaks, nFrames);
}

void Plenmora::UpdateMeters(const double* peaks, int nFrames)
{
  // Peaks in dB over the meter range, rising at once and falling no faster
  // than the release allows.
  const double maxFall =
      kMeterReleaseDbPerSecond / kMeterRangeDb * nFrames / mReverb.GetSampleRate();
  for (int m = 0; m < kNumMeters; ++m)
  {
    double level = 0.0;
    if (peaks[m] > 0.0) level = (20.0 * std::log10(peaks[m]) + kMeterRangeDb) / kMeterRangeDb;
    if (!(level > 0.0)) level = 0.0; // also NaN
    if (level > 1.0) level = 1.0;
    const double floor = mMeterLevel[m] - maxFall;
    mMeterLevel[m] = level > floor ? level : floor;
    if (mMeterLevel[m] < 0.0) mMeterLevel[m] = 0.0;
  }

  // The editor stores the values and marks the meters for its next redraw;
  // it takes no lock for that. A level that shows the same frame of the
  // meter's strip as the last one sent is not sent: it would redraw the same
  // picture.
  if (IGraphics* gui = GetGUI())
    for (int m = 0; m < kNumMeters; ++m)
    {
      const int frame = (int)(mMeterLevel[m] * (editor_layout::kMeterFrames - 1) + 0.5);
      if (mMeterControlIdx[m] < 0 || frame == mMeterFrameShown[m]) continue;
      gui->SetControlFromPlug(mMeterControlIdx[m], mMeterLevel[m]);
      mMeterFrameShown[m] = frame;
    }
}

double Plenmora::GetMeterLevel(int meter) const
{
  return meter >= 0 && meter < kNumMeters ? mMeterLevel[meter] : 0.0;
}

IPlugStandalone* MakePlug(RtMidiOut* midiOut, uint16_t* midiOutChan, void*)
{
  static WDL_Mutex sMutex;
  WDL_MutexLock lock(&sMutex);
  IPlugInstanceInfo info;
  info.mBundleID.Set(kBundleID);
  info.mMidiOut = midiOut;
  info.mMidiOutChanPtr = midiOutChan;
  return new Plenmora(info);
}
