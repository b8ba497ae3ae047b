// IPlugStandalone: the plug-in base of the stand-alone application. It
// answers the host questions with fixed values (there is no host timeline),
// sends the plug-in's MIDI output to the host's MIDI output port, resizes the
// main window with the editor, and gives the audio callback its one way in.
#pragma once

#include <atomic>
#include <cstdint>

#include "IPlugBase.h"
#include "swell-types.h"
#include "wdlstring.h"

class RtMidiOut;

// What the host hands the plug-in constructor.
struct IPlugInstanceInfo
{
  WDL_String mBundleID;
  RtMidiOut* mMidiOut = nullptr;       // the host's; null when MIDI set-up failed
  uint16_t* mMidiOutChanPtr = nullptr; // the host's saved MIDI output channel (0 = as is)
};

class IPlugStandalone : public IPlugBase
{
public:
  IPlugStandalone(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr,
                  int nPresets, const char* effectName, const char* productName,
                  const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                  bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IPlugStandalone() override;

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int w, int h) override;
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* msg) override;

  // The host's MIDI output changed (null: none). When this returns, no
  // thread sends through the previous output any more, so the host may
  // delete it.
  void SetMidiOutput(RtMidiOut* midiOut);

  // Processes one block under the plug-in mutex: the only way audio reaches
  // the plug-in.
  void LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);

private:
  // Sends bytes through the current output; false without one or on error.
  bool SendBytes(const unsigned char* bytes, size_t size);

  std::atomic<RtMidiOut*> mMidiOut;
  // Sends under way, so that SetMidiOutput can wait for those that may still
  // hold the previous output.
  std::atomic<int> mMidiSends{0};
  uint16_t* mMidiOutChanPtr;
};

// The one plug-in of the application, made at start-up; null before.
extern IPlugStandalone* gPluginInstance;
// The host's main window while it exists.
extern HWND gHWND;
