#include "app_midi.h"

#include <cstdio>
#include <cstring>

#include "IPlugStandalone.h"
#include "app_audio.h"
#include "app_settings.h"

RtMidiIn* gMidiIn = nullptr;
RtMidiOut* gMidiOut = nullptr;
std::vector<std::string> gMIDIInputDevNames;
std::vector<std::string> gMIDIOutputDevNames;

namespace
{
constexpr const char* kMidiOff = "off";
constexpr const char* kVirtualInput = "virtual input";
constexpr const char* kVirtualOutput = "virtual output";
constexpr const char* kVirtualInputPortName = "To Plenmora";
constexpr const char* kVirtualOutputPortName = "From Plenmora";
constexpr const char* kInputClientName = "RtMidi Input Client";
constexpr const char* kOutputClientName = "RtMidi Output Client";

bool sMidiAvailable = false;

// How an object was made: its back end, and for JACK the count of server
// losses at that moment.
struct Made
{
  RtMidi::Api api = RtMidi::UNSPECIFIED;
  int serverLosses = 0;
};
Made sInMade, sOutMade;

// Objects whose JACK server went away: libjack frees their clients when a
// new server is contacted, so they are neither used nor deleted again (the
// list itself is never destroyed, so they stay reachable to the end).
std::vector<RtMidi*>* sLostMidi = new std::vector<RtMidi*>;

RtMidi::Api CurrentApi()
{
  return gState && gState->mAudioDriver == 0 ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
}

bool ServerGone(const Made& made)
{
  return made.api == RtMidi::UNIX_JACK && made.serverLosses != AudioServerLosses();
}

// A new MIDI object, or null (the error printed) when RtMidi cannot make it.
template <class T> T* MakeMidi(RtMidi::Api api, const char* clientName)
{
  try
  {
    return new T(api, clientName);
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
    return nullptr;
  }
}

// Deletes an object, or keeps it out of use when its server went away.
template <class T> void Discard(T* midi, const Made& made)
{
  if (!midi) return;
  if (ServerGone(made))
  {
    sLostMidi->push_back(midi);
    return;
  }
  try
  {
    midi->closePort();
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
  }
  delete midi;
}

void DiscardInput()
{
  if (!gMidiIn) return;
  if (!ServerGone(sInMade)) gMidiIn->cancelCallback();
  Discard(gMidiIn, sInMade);
  gMidiIn = nullptr;
}

void DiscardOutput()
{
  if (!gMidiOut) return;
  // The plug-in lets go of it first.
  if (gPluginInstance) gPluginInstance->SetMidiOutput(nullptr);
  Discard(gMidiOut, sOutMade);
  gMidiOut = nullptr;
}

// A side's object as it stands, when it can be used for the current back end.
template <class T> T* Working(T* midi, const Made& made)
{
  return midi && !ServerGone(made) && made.api == CurrentApi() ? midi : nullptr;
}

// Keeps a side's working object, or makes a new one for the current back end;
// true when a new one was made.
template <class T> bool Make(T*& midi, Made& made, void (*discard)(), const char* clientName)
{
  if (Working(midi, made)) return false;
  discard();
  midi = MakeMidi<T>(CurrentApi(), clientName);
  made = {CurrentApi(), AudioServerLosses()};
  return midi != nullptr;
}

bool MakeInput()
{
  if (Make(gMidiIn, sInMade, DiscardInput, kInputClientName))
  {
    gMidiIn->setCallback(MIDICallback, nullptr);
    // No system exclusive, timing or active sensing.
    gMidiIn->ignoreTypes(true, true, true);
  }
  return gMidiIn != nullptr;
}

bool MakeOutput()
{
  Make(gMidiOut, sOutMade, DiscardOutput, kOutputClientName);
  return gMidiOut != nullptr;
}

// Place of name among the choices of one side: 0 off, 1 virtual, n >= 2
// port n - 2 as the port list is now; -1 when none matches.
int GetPortNumber(RtMidi* midi, const char* virtualName, const char* name)
{
  if (!strcmp(name, kMidiOff)) return 0;
  if (!strcmp(name, virtualName)) return 1;
  if (!midi) return -1;
  try
  {
    const unsigned int n = midi->getPortCount();
    for (unsigned int i = 0; i < n; ++i)
      if (midi->getPortName(i) == name) return (int)i + 2;
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
  }
  return -1;
}

void ListChoices(RtMidi* midi, const char* virtualName, std::vector<std::string>& names)
{
  names.assign(1, kMidiOff);
  if (!midi) return;
  names.push_back(virtualName);
  try
  {
    const unsigned int n = midi->getPortCount();
    for (unsigned int i = 0; i < n; ++i) names.push_back(midi->getPortName(i));
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
  }
}

// Opens choice `port` (1 virtual, n >= 2 system port n - 2) on an object
// whose port is closed; errors are printed.
bool OpenChoice(RtMidi* midi, int port, const char* virtualPortName, const char* portName)
{
  try
  {
    if (port == 1)
      midi->openVirtualPort(virtualPortName);
    else
      midi->openPort((unsigned int)(port - 2), portName);
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
    return false;
  }
  return true;
}

// Whether MIDI can be reached: a JACK driver that found no audio devices
// found no server, and without one there is no JACK MIDI either; nothing is
// opened to learn that again.
bool MidiReachable() { return !(CurrentApi() == RtMidi::UNIX_JACK && gAudioIDDevNames.empty()); }

// Names that no port has: the empty name and what missing names read as.
bool NamesNoPort(const char* name)
{
  return !*name || !strcmp(name, kMidiInputUnset) || !strcmp(name, kMidiOutputUnset);
}

void StoreOff(char (&stored)[kAppStateTextSize])
{
  if (!gState) return;
  SetAppStateText(stored, kMidiOff);
  UpdateINI();
}

// One side: make its object, number the name with it, open the port, or go
// off (an unknown name also becomes "off" and is saved). Unreachable MIDI
// keeps a stored port name for when it is back; a name that no port has
// becomes "off" and is saved all the same.
template <class T>
bool Choose(const char* name, T*& midi, bool (*make)(), void (*discard)(), const char* virtualName,
            const char* virtualPortName, const char* portName, char (&stored)[kAppStateTextSize])
{
  const bool off = !strcmp(name, kMidiOff);
  if (off || !MidiReachable() || !make())
  {
    discard();
    if (off || !NamesNoPort(name)) return off;
    StoreOff(stored);
    return true;
  }
  try
  {
    midi->closePort();
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
  }
  const int port = GetPortNumber(midi, virtualName, name);
  if (port == -1)
  {
    discard();
    StoreOff(stored);
    return true;
  }
  if (OpenChoice(midi, port, virtualPortName, portName)) return true;
  discard();
  return false;
}

} // namespace

bool ProbeMidiIO()
{
  sMidiAvailable = MidiReachable();
  // The sides' own objects list the ports when they work; otherwise objects
  // made for the listing, deleted right after, so no client stays.
  RtMidiIn* in = Working(gMidiIn, sInMade);
  RtMidiOut* out = Working(gMidiOut, sOutMade);
  const bool ownIn = !in, ownOut = !out;
  if (sMidiAvailable && ownIn) in = MakeMidi<RtMidiIn>(CurrentApi(), "Plenmora MIDI probe");
  if (sMidiAvailable && ownOut) out = MakeMidi<RtMidiOut>(CurrentApi(), "Plenmora MIDI probe");
  sMidiAvailable = sMidiAvailable && in && out;
  ListChoices(sMidiAvailable ? in : nullptr, kVirtualInput, gMIDIInputDevNames);
  ListChoices(sMidiAvailable ? out : nullptr, kVirtualOutput, gMIDIOutputDevNames);
  if (ownIn) delete in;
  if (ownOut) delete out;
  return sMidiAvailable;
}

bool MidiAvailable() { return sMidiAvailable; }

bool ChooseMidiInput(const char* name)
{
  if (!gState) return false;
  return Choose(name, gMidiIn, MakeInput, DiscardInput, kVirtualInput, kVirtualInputPortName,
                "RtMidi Input", gState->mMidiInDevice);
}

bool ChooseMidiOutput(const char* name)
{
  if (!gState) return false;
  const bool ok = Choose(name, gMidiOut, MakeOutput, DiscardOutput, kVirtualOutput,
                         kVirtualOutputPortName, "RtMidi Output", gState->mMidiOutDevice);
  if (gPluginInstance) gPluginInstance->SetMidiOutput(gMidiOut);
  return ok;
}

void RefreshMidi()
{
  if (!gState) return;
  if (!Working(gMidiIn, sInMade) || strcmp(gState->mMidiInDevice, kMidiOff) == 0)
    ChooseMidiInput(gState->mMidiInDevice);
  if (!Working(gMidiOut, sOutMade) || strcmp(gState->mMidiOutDevice, kMidiOff) == 0)
    ChooseMidiOutput(gState->mMidiOutDevice);
}

void MIDICallback(double /*deltatime*/, std::vector<unsigned char>* message, void* /*userData*/)
{
  if (!message || message->empty()) return;
  const std::vector<unsigned char>& m = *message;
  IMidiMsg msg;
  switch (m.size())
  {
    case 3:
      msg.mData2 = m[2];
      [[fallthrough]];
    case 2:
      msg.mData1 = m[1];
      [[fallthrough]];
    case 1:
      msg.mStatus = m[0];
      break;
    default:
      printf("NOT EXPECTING %d midi callback msg len\n", (int)m.size());
      return;
  }
  const unsigned int channel = gState ? gState->mMidiInChannel : 0;
  if (channel != 0 && channel != (unsigned int)msg.Channel() + 1) return;
  if (gPluginInstance) gPluginInstance->ProcessMidiMsg(&msg);
}

void CloseMidi()
{
  DiscardInput();
  DiscardOutput();
}
