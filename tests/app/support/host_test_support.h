// Support for the in-process host tests: a plug-in of the tests' own that
// logs what the host gives it, a fresh settings folder per test, and the
// host's start-up with any plug-in.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "IPlugStandalone.h"
#include "test_util.h"

// Passes audio through unchanged (inputs to outputs) and counts the blocks;
// counts incoming MIDI and passes it on to its MIDI output when it does MIDI.
class TestPlug : public IPlugStandalone
{
public:
  TestPlug(RtMidiOut* midiOut, uint16_t* midiOutChan, bool doesMidi);

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    // The first block's size while every block has it under the plug-in
    // mutex; -1 after one that does not.
    const int frames = mMutex.HeldByCurrentThread() ? nFrames : -1;
    blockFrames = blocks == 0 || blockFrames == frames ? frames : -1;
    IPlugStandalone::ProcessDoubleReplacing(inputs, outputs, nFrames);
    ++blocks;
  }
  void ProcessMidiMsg(IMidiMsg* msg) override
  {
    ++midiMessages;
    IPlugStandalone::ProcessMidiMsg(msg);
  }

  std::atomic<size_t> blocks{0};
  std::atomic<size_t> midiMessages{0}; // handed in by the host
  std::atomic<int> blockFrames{0};
};

// A fresh, empty home folder for the test's lifetime: HOME points at it and
// XDG_CONFIG_HOME is unset; both are restored afterwards.
class TempHome
{
public:
  const std::string& Path() const { return mDir.Path(); }
  std::string SettingsFile() const { return Path() + "/.config/Plenmora/settings.ini"; }

private:
  TempDir mDir;
  EnvScope mHome{"HOME", mDir.Path().c_str()}, mXdg{"XDG_CONFIG_HOME", nullptr};
};

using PlugFactory = std::function<IPlugStandalone*(RtMidiOut*, uint16_t*)>;
// The application's start-up in this process from settings written to the
// home folder's "settings.ini", with the plug-in made by factory (a TestPlug
// doing MIDI when none): settings, plug-in, audio driver and devices, MIDI,
// audio stream. Returns whether the stream opened. Cleanup() (app_main.h) is
// the shut-down.
bool StartHost(const std::string& settings, const PlugFactory& factory = nullptr);

// Standard output of fn, run now.
std::string CaptureStdout(const std::function<void()>& fn);
