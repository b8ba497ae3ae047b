// Plenmora: the stereo reverb effect. Five parameters drive the reverb
// engine; after each block the effect measures the input and output peaks
// for its four level meters.
#pragma once

#include <cstdint>

#include "IPlugStandalone.h"
#include "verbengine.h"

class IBitmapOverlayControl;

class Plenmora : public IPlugStandalone
{
public:
  enum EParams
  {
    kRoomSize = 0,
    kDampening,
    kWidth,
    kDry,
    kWet,
    kNumParams
  };

  enum EMeters
  {
    kMeterInL = 0,
    kMeterInR,
    kMeterOutL,
    kMeterOutR,
    kNumMeters
  };

  static constexpr int kNumPresets = 31;
  static constexpr int kVersion = 0x10000;

  // Meter scale: levels from -60 dB (0) to 0 dB (1); a meter falls by at
  // most kMeterReleaseDbPerSecond.
  static constexpr double kMeterRangeDb = 60.0;
  static constexpr double kMeterReleaseDbPerSecond = 20.0;

  explicit Plenmora(IPlugInstanceInfo instanceInfo);
  ~Plenmora() override;

  void Reset() override;
  void OnParamChange(int paramIdx) override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // The normalised level (0..1) of a meter after the last block; read it on
  // the audio thread or under the plug-in mutex.
  double GetMeterLevel(int meter) const;
  const WDL_ReverbEngine& GetReverb() const { return mReverb; }

private:
  void InitParameters();
  void MakeFactoryPresets();
  void CreateEditor(const IPlugInstanceInfo& instanceInfo);
  void UpdateMeters(const double* peaks, int nFrames);

  WDL_ReverbEngine mReverb;
  double mMeterLevel[kNumMeters] = {};
  // Editor control index of each meter (in EMeters order), set when the
  // editor attaches the meter controls; -1 while there is none.
  int mMeterControlIdx[kNumMeters] = {-1, -1, -1, -1};
  // The frame of its strip each meter shows (audio thread only).
  int mMeterFrameShown[kNumMeters] = {0, 0, 0, 0};
  // The about picture over the editor, shown by a click on the wordmark;
  // owned by the editor.
  IBitmapOverlayControl* mAboutOverlay = nullptr;
};

// Makes the application's plug-in. midiOut and midiOutChan belong to the host
// and must outlive the plug-in; the third argument is not used.
IPlugStandalone* MakePlug(RtMidiOut* midiOut, uint16_t* midiOutChan, void* unused = nullptr);

// Starts reading the editor's pictures on threads of their own, so that a
// MakePlug that follows finds them read, or nearly: the application calls it
// before anything else. Without it MakePlug starts them itself.
void PreloadPlugPictures();
