#include "host_test_support.h"

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_midi.h"
#include "app_settings.h"

TestPlug::TestPlug(RtMidiOut* midiOut, uint16_t* midiOutChan, bool doesMidi)
    : IPlugStandalone(
          [&]
          {
            IPlugInstanceInfo info;
            info.mMidiOut = midiOut;
            info.mMidiOutChanPtr = midiOutChan;
            return info;
          }(),
          0, "2-2", 0, "TestPlug", "TestPlug", "Tests", 0x10000, 0x54737431, 0x54657374, 0,
          doesMidi, false, false, 0),
      mBlocks(kMaxBlocks)
{
}

void TestPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const size_t n = mNumBlocks.load(std::memory_order_relaxed);
  if (n < kMaxBlocks) mBlocks[n] = Block{nFrames, mMutex.HeldByCurrentThread()};
  IPlugStandalone::ProcessDoubleReplacing(inputs, outputs, nFrames);
  mNumBlocks.store(n + 1, std::memory_order_release);
}

bool StartHost(const char* audioDevice, bool virtualMidi, const PlugFactory& factory)
{
  if (!LoadSettings()) return false;
  SetAppStateText(gState->mAudioInDevice, audioDevice);
  SetAppStateText(gState->mAudioOutDevice, audioDevice);
  SetAppStateText(gState->mMidiInDevice, virtualMidi ? "virtual input" : "off");
  SetAppStateText(gState->mMidiOutDevice, virtualMidi ? "virtual output" : "off");
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  gPluginInstance = factory ? factory(gMidiOut, &gState->mMidiOutChannel)
                            : new TestPlug(gMidiOut, &gState->mMidiOutChannel, true);
  ChooseMidiInput(gState->mMidiInDevice);
  ChooseMidiOutput(gState->mMidiOutDevice);
  return TryToChangeAudio();
}

void StopHost()
{
  StopAudioStream();
  CloseMidi();
  CloseAudioStream();
  delete gPluginInstance;
  gPluginInstance = nullptr;
  DeleteAudioDriver();
  gAudioIDDevNames.clear();
  gAudioInputDevs.clear();
  gAudioOutputDevs.clear();
  gMIDIInputDevNames.clear();
  gMIDIOutputDevNames.clear();
  DeleteSettings();
}

std::string CaptureStdout(const std::function<void()>& fn)
{
  fflush(stdout);
  testing::internal::CaptureStdout();
  fn();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}
