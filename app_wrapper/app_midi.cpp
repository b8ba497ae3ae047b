#include "app_midi.h"

#include <cstdio>
#include <cstring>

#include <jack/jack.h>

#include "IPlugStandalone.h"
#include "app_audio.h"
#include "app_settings.h"

RtMidiIn* gMidiIn = nullptr;
RtMidiOut* gMidiOut = nullptr;
std::vector<std::string> gMIDIInputDevNames;
std::vector<std::string> gMIDIOutputDevNames;

namespace
{
// Whether the objects are JACK clients.
bool sMidiOnJack = false;
// Objects whose JACK server went away: libjack frees their clients when a
// new server is contacted, so they are neither used nor deleted again (the
// list itself is never destroyed, so they stay reachable to the end).
std::vector<RtMidi*>* sLostMidi = new std::vector<RtMidi*>;

// The object, or null when there is none or its JACK server went away.
template <class T> T* Usable(T* midi)
{
  return midi && !(sMidiOnJack && AudioServerWentAway()) ? midi : nullptr;
}

// RtMidi makes its JACK objects even without a server (they only fail when
// a port is opened); ask the server first, so that no server means no MIDI
// objects, as a missing ALSA sequencer does.
bool JackServerRunning()
{
  jack_status_t status;
  jack_client_t* client = jack_client_open("RtMidi Probe", JackNoStartServer, &status);
  if (!client) return false;
  jack_client_close(client);
  return true;
}

constexpr const char* kMidiOff = "off";
constexpr const char* kVirtualInput = "virtual input";
constexpr const char* kVirtualOutput = "virtual output";
constexpr const char* kVirtualInputPortName = "To Plenmora";
constexpr const char* kVirtualOutputPortName = "From Plenmora";

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
  names.clear();
  names.push_back(kMidiOff);
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

// Closes the side and opens choice `port` on it; errors are printed.
bool OpenChoice(RtMidi* midi, int port, const char* virtualPortName, const char* portName)
{
  try
  {
    midi->closePort();
    if (port == 1)
      midi->openVirtualPort(virtualPortName);
    else if (port >= 2)
      midi->openPort((unsigned int)(port - 2), portName);
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
    return false;
  }
  return true;
}

// An unknown stored name becomes "off" and the settings are saved.
int NumberOrOff(int port, char (&field)[kAppStateTextSize])
{
  if (port != -1) return port;
  SetAppStateText(field, kMidiOff);
  UpdateINI();
  return 0;
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
} // namespace

bool InitialiseMidi()
{
  const RtMidi::Api api =
      gState && gState->mAudioDriver == 0 ? RtMidi::UNIX_JACK : RtMidi::LINUX_ALSA;
  sMidiOnJack = api == RtMidi::UNIX_JACK;
  if (sMidiOnJack && !JackServerRunning())
  {
    printf("no JACK server is running: MIDI is not available\n");
    return false;
  }
  gMidiIn = MakeMidi<RtMidiIn>(api, "RtMidi Input Client");
  if (!gMidiIn) return false;
  gMidiOut = MakeMidi<RtMidiOut>(api, "RtMidi Output Client");
  if (!gMidiOut) return false;
  gMidiIn->setCallback(MIDICallback, nullptr);
  // No system exclusive, timing or active sensing.
  gMidiIn->ignoreTypes(true, true, true);
  return true;
}

void ProbeMidiIO()
{
  if (!Usable(gMidiIn) || !Usable(gMidiOut)) return;
  ListChoices(gMidiIn, kVirtualInput, gMIDIInputDevNames);
  ListChoices(gMidiOut, kVirtualOutput, gMIDIOutputDevNames);
}

int GetMIDIInPortNumber(const char* name)
{
  return GetPortNumber(Usable(gMidiIn), kVirtualInput, name);
}

int GetMIDIOutPortNumber(const char* name)
{
  return GetPortNumber(Usable(gMidiOut), kVirtualOutput, name);
}

bool ChooseMidiInput(const char* name)
{
  int port = GetMIDIInPortNumber(name);
  if (port == -1 && gState) port = NumberOrOff(port, gState->mMidiInDevice);
  if (!Usable(gMidiIn)) return false;
  return OpenChoice(gMidiIn, port, kVirtualInputPortName, "RtMidi Input");
}

bool ChooseMidiOutput(const char* name)
{
  int port = GetMIDIOutPortNumber(name);
  if (port == -1 && gState) port = NumberOrOff(port, gState->mMidiOutDevice);
  if (!Usable(gMidiOut)) return false;
  return OpenChoice(gMidiOut, port, kVirtualOutputPortName, "RtMidi Output");
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

void CloseMidiPorts()
{
  try
  {
    if (Usable(gMidiIn))
    {
      gMidiIn->cancelCallback();
      gMidiIn->closePort();
    }
    if (Usable(gMidiOut)) gMidiOut->closePort();
  }
  catch (RtMidiError& err)
  {
    err.printMessage();
  }
}

void DeleteMidi()
{
  if (sMidiOnJack && AudioServerWentAway())
  {
    if (gMidiIn) sLostMidi->push_back(gMidiIn);
    if (gMidiOut) sLostMidi->push_back(gMidiOut);
  }
  else
  {
    delete gMidiIn;
    delete gMidiOut;
  }
  gMidiIn = nullptr;
  gMidiOut = nullptr;
}
