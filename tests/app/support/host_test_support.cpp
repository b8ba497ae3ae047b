#include "host_test_support.h"

#include <gtest/gtest.h>

#include "app_main.h"
#include "app_midi.h"
#include "app_settings.h"

TestPlug::TestPlug(RtMidiOut* midiOut, uint16_t* midiOutChan, bool doesMidi)
    : IPlugStandalone(IPlugInstanceInfo{{}, midiOut, midiOutChan}, 0, "2-2", 0, "TestPlug",
                      "TestPlug", "Tests", 0x10000, 0x54737431, 0x54657374, 0, doesMidi, false,
                      false, 0)
{
}

bool StartHost(const std::string& settings, const PlugFactory& factory)
{
  WriteFile(std::string(getenv("HOME")) + "/.config/Plenmora/settings.ini", settings);
  if (!LoadSettings()) return false;
  gPluginInstance = factory ? factory(gMidiOut, &gState->mMidiOutChannel)
                            : new TestPlug(gMidiOut, &gState->mMidiOutChannel, true);
  return StartAudioAndMidi();
}

std::string CaptureStdout(const std::function<void()>& fn)
{
  fflush(stdout);
  testing::internal::CaptureStdout();
  fn();
  fflush(stdout);
  return testing::internal::GetCapturedStdout();
}
