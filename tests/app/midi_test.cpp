// MIDI input and output through JACK MIDI: the lists of choices, opening
// ports, stale names, the input callback's lengths and channel filter, and
// what a plug-in that does MIDI sends out of "From Plenmora".
#include <algorithm>
#include <unistd.h>
#include <memory>

#include <gtest/gtest.h>
#include <jack/midiport.h>

#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_server.h"
#include "jack_test_client.h"

namespace
{
using Bytes = std::vector<uint8_t>;

std::vector<Bytes> AsBytes(const std::vector<IMidiMsg>& msgs)
{
  std::vector<Bytes> bytes;
  for (const IMidiMsg& m : msgs) bytes.push_back({m.mStatus, m.mData1, m.mData2});
  return bytes;
}

bool Connected(jack_client_t* client, const std::string& a, const std::string& b)
{
  jack_port_t* port = jack_port_by_name(client, a.c_str());
  return port && jack_port_connected_to(port, b.c_str());
}

bool PortExists(jack_client_t* client, const char* name)
{
  return jack_port_by_name(client, name) != nullptr;
}

// The names of the server's MIDI ports with those flags, after "off" and
// the virtual port's choice.
std::vector<std::string> Choices(jack_client_t* client, const char* virtualPort,
                                 unsigned long flags)
{
  std::vector<std::string> names = {"off", virtualPort};
  const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
  for (const char** p = ports; p && *p; ++p) names.push_back(*p);
  jack_free(ports);
  return names;
}

class MidiTest : public testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(LoadSettings());
    JackTestClient::Options options;
    options.audioIns = options.audioOuts = 0;
    options.midiOuts = 2;
    mClient = std::make_unique<JackTestClient>(options);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
    ASSERT_TRUE(mClient->Activate());
  }
  void TearDown() override
  {
    StopHost();
    mClient.reset();
    DeleteSettings();
  }

  // The host with a plug-in of the tests' own; the audio stream is left out.
  void Start(bool doesMidi)
  {
    ASSERT_TRUE(InitialiseMidi());
    ProbeMidiIO();
    gPluginInstance = mPlug = new TestPlug(gMidiOut, &gState->mMidiOutChannel, doesMidi);
  }

  // The host with both virtual ports open and wired to the test client.
  void StartWired(bool doesMidi)
  {
    Start(doesMidi);
    ASSERT_TRUE(ChooseMidiInput("virtual input"));
    ASSERT_TRUE(ChooseMidiOutput("virtual output"));
    ASSERT_TRUE(
        mClient->Connect(mClient->PortName("midi_out_1"), "RtMidi Input Client:To Plenmora"));
    ASSERT_TRUE(
        mClient->Connect("RtMidi Output Client:From Plenmora", mClient->PortName("midi_in")));
  }

  // Sends each message into "To Plenmora", then a marker (a control change
  // on the filter's channel, channel 6 when all pass) and waits until the
  // plug-in has it; returns what arrived before the marker.
  std::vector<IMidiMsg> SendAndCollect(const std::vector<Bytes>& messages)
  {
    const size_t before = mPlug->MidiReceived().size();
    for (const Bytes& m : messages) EXPECT_TRUE(mClient->SendMidi(m));
    const uint8_t mark = (uint8_t)(mMarker++ & 0x7f);
    const unsigned chan = gState->mMidiInChannel;
    const uint8_t markStatus = (uint8_t)(chan ? 0xB0 | (chan - 1) : 0xB5);
    EXPECT_TRUE(mClient->SendMidi({markStatus, 0x7F, mark}));
    std::vector<IMidiMsg> got;
    EXPECT_TRUE(WaitUntil(
        [&]
        {
          got = mPlug->MidiReceived();
          return got.size() > before && got.back().mStatus == markStatus &&
                 got.back().mData2 == mark;
        },
        5000))
        << "the marker did not arrive";
    got.erase(got.begin(), got.begin() + (long)std::min(before, got.size()));
    if (!got.empty()) got.pop_back();
    return got;
  }

  TempHome mHome;
  std::unique_ptr<JackTestClient> mClient;
  TestPlug* mPlug = nullptr;
  int mMarker = 0;
};

TEST_F(MidiTest, ChoicesOpenPortsAndUnknownNamesBecomeOff)
{
  Start(false);
  EXPECT_EQ(Choices(mClient->Client(), "virtual input", JackPortIsOutput), gMIDIInputDevNames);
  EXPECT_EQ(Choices(mClient->Client(), "virtual output", JackPortIsInput), gMIDIOutputDevNames);

  // The test client's two sources are system ports; choosing the second
  // entry after them opens it.
  const std::string second = mClient->PortName("midi_out_2");
  const auto it = std::find(gMIDIInputDevNames.begin(), gMIDIInputDevNames.end(), second);
  ASSERT_NE(gMIDIInputDevNames.end(), it);
  EXPECT_EQ(it - gMIDIInputDevNames.begin(), GetMIDIInPortNumber(second.c_str()));
  EXPECT_EQ(1, GetMIDIInPortNumber("virtual input"));
  EXPECT_EQ(-1, GetMIDIInPortNumber("virtual output"));
  EXPECT_EQ(1, GetMIDIOutPortNumber("virtual output"));
  EXPECT_EQ(-1, GetMIDIOutPortNumber("nowhere"));

  ASSERT_TRUE(ChooseMidiInput(second.c_str()));
  EXPECT_TRUE(Connected(mClient->Client(), second, "RtMidi Input Client:RtMidi Input"));
  EXPECT_FALSE(Connected(mClient->Client(), mClient->PortName("midi_out_1"),
                         "RtMidi Input Client:RtMidi Input"));
  const std::string dest = mClient->PortName("midi_in");
  ASSERT_TRUE(ChooseMidiOutput(dest.c_str()));
  EXPECT_TRUE(Connected(mClient->Client(), "RtMidi Output Client:RtMidi Output", dest));

  // The virtual ports, chosen twice (reopened), then closed by "off".
  for (int i = 0; i < 2; ++i)
  {
    ASSERT_TRUE(ChooseMidiInput("virtual input"));
    ASSERT_TRUE(ChooseMidiOutput("virtual output"));
    EXPECT_TRUE(PortExists(mClient->Client(), "RtMidi Input Client:To Plenmora"));
    EXPECT_TRUE(PortExists(mClient->Client(), "RtMidi Output Client:From Plenmora"));
  }
  ASSERT_TRUE(ChooseMidiInput("off"));
  ASSERT_TRUE(ChooseMidiOutput("off"));
  EXPECT_FALSE(PortExists(mClient->Client(), "RtMidi Input Client:To Plenmora"));
  EXPECT_FALSE(PortExists(mClient->Client(), "RtMidi Output Client:From Plenmora"));

  // Names of ports that are gone become "off" and are saved.
  SetAppStateText(gState->mMidiInDevice, "gone:port");
  SetAppStateText(gState->mMidiOutDevice, "also gone:port");
  gState->mMidiInChannel = 2;
  EXPECT_TRUE(ChooseMidiInput(gState->mMidiInDevice));
  EXPECT_TRUE(ChooseMidiOutput(gState->mMidiOutDevice));
  EXPECT_STREQ("off", gState->mMidiInDevice);
  EXPECT_STREQ("off", gState->mMidiOutDevice);
  const std::string file = ReadFile(mHome.SettingsFile());
  EXPECT_NE(std::string::npos, file.find("[midi]\ninchan=2\nindev=off\noutchan=0\noutdev=off\n"))
      << file;
}

TEST_F(MidiTest, InputLengthsAndChannelFilter)
{
  StartWired(false);

  // All channels: one, two and three bytes arrive with the missing data
  // bytes zero; other lengths are reported and dropped; system exclusive,
  // clock and active sensing are dropped before the callback.
  std::vector<IMidiMsg> got;
  const std::string out = CaptureStdout(
      [&]
      {
        got = SendAndCollect({{0x90, 0x40, 0x7f},
                              {0xC0, 0x05},
                              {0xFA},
                              {0x90, 0x41, 0x7f, 0x00},
                              {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},
                              {0xF8},
                              {0xFE},
                              {0xE3, 0x00, 0x40}});
      });
  EXPECT_EQ((std::vector<Bytes>{{0x90, 0x40, 0x7f}, {0xC0, 5, 0}, {0xFA, 0, 0}, {0xE3, 0, 0x40}}),
            AsBytes(got));
  for (const IMidiMsg& m : got) EXPECT_EQ(0, m.mOffset);
  EXPECT_EQ("NOT EXPECTING 4 midi callback msg len\n", out);

  // Channel 3: only messages whose low four bits are 2 pass, system
  // messages included.
  gState->mMidiInChannel = 3;
  got = SendAndCollect({{0x92, 0x40, 0x7f}, {0x90, 0x40, 0x7f}, {0xFA}, {0xC2, 0x07}});
  EXPECT_EQ((std::vector<Bytes>{{0x92, 0x40, 0x7f}, {0xC2, 7, 0}}), AsBytes(got));

  // Channel 11: the start message (low bits 10) passes.
  gState->mMidiInChannel = 11;
  got = SendAndCollect({{0xFA}, {0x9A, 0x3c, 0x01}, {0x92, 0x3c, 0x01}});
  EXPECT_EQ((std::vector<Bytes>{{0xFA, 0, 0}, {0x9A, 0x3c, 0x01}}), AsBytes(got));
}

// What the plug-in sends leaves "From Plenmora" in three bytes, with the
// output channel forced on channel messages only; system exclusive whole.
TEST_F(MidiTest, SentMessagesTakeTheOutputChannelOnChannelMessagesOnly)
{
  StartWired(true);
  // MIDI in through "To Plenmora", passed on by the plug-in's default
  // handling on the MIDI input thread (the marker too), out of "From Plenmora".
  gState->mMidiOutChannel = 10;
  SendAndCollect({{0xC0, 0x05}});
  ASSERT_TRUE(mClient->WaitForMidi(2, 5000));
  EXPECT_EQ((std::vector<Bytes>{{0xC9, 0x05, 0x00}, {0xB9, 0x7f, 0x00}}), mClient->TakeMidi());
  const struct
  {
    uint16_t setting;
    IMidiMsg msg;
    Bytes sent;
  } cases[] = {{10, IMidiMsg(0, 0x90, 0x40, 0x7f), {0x99, 0x40, 0x7f}},
               {10, IMidiMsg(0, 0xE5, 1, 2), {0xE9, 0x01, 0x02}},
               {10, IMidiMsg(0, 0xFA), {0xFA, 0x00, 0x00}},
               {10, IMidiMsg(0, 0xC3, 7), {0xC9, 0x07, 0x00}},
               {0, IMidiMsg(0, 0x90, 0x40, 0x7f), {0x90, 0x40, 0x7f}},
               {16, IMidiMsg(0, 0x80, 0x40, 0x00), {0x8F, 0x40, 0x00}},
               {1, IMidiMsg(0, 0xBF, 0x07, 0x64), {0xB0, 0x07, 0x64}},
               // A setting beyond 16 (a broken settings file) must not change the kind.
               {17, IMidiMsg(0, 0x92, 0x40, 0x7f), {0x92, 0x40, 0x7f}}};
  std::vector<Bytes> expected;
  for (auto c : cases)
  {
    gState->mMidiOutChannel = c.setting; // read at every message
    EXPECT_TRUE(mPlug->SendMidiMsg(&c.msg));
    expected.push_back(c.sent);
  }
  const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
  ISysEx sx(0, sysex, (int)sizeof(sysex));
  EXPECT_TRUE(mPlug->SendSysEx(&sx));
  expected.push_back(Bytes(sysex, sysex + sizeof(sysex)));
  ASSERT_TRUE(mClient->WaitForMidi(2 + expected.size(), 5000));
  EXPECT_EQ(expected, mClient->TakeMidi());

  // Nothing from a plug-in that does not do MIDI, or without an output.
  TestPlug noMidi(gMidiOut, &gState->mMidiOutChannel, false);
  TestPlug noOutput(nullptr, &gState->mMidiOutChannel, true);
  IMidiMsg note(0, 0x90, 0x40, 0x7f);
  EXPECT_FALSE(noMidi.SendMidiMsg(&note));
  EXPECT_FALSE(noOutput.SendMidiMsg(&note));
  EXPECT_FALSE(noOutput.SendSysEx(&sx));
  EXPECT_FALSE(mClient->WaitForMidi(2 + expected.size() + 1, 300));
}

// No MIDI objects, whether the ALSA sequencer (a driver other than JACK) or
// the JACK server is missing: empty lists, nothing opens, nothing breaks.
TEST(MidiWithoutClient, NoSequencerOrServerLeavesNoObjectsAndEmptyLists)
{
  for (const bool alsa : {true, false})
  {
    SCOPED_TRACE(alsa ? "ALSA" : "no JACK server");
    if (alsa && access("/dev/snd/seq", F_OK) == 0) continue; // this machine has a sequencer
    TempHome home;
    EnvScope server("JACK_DEFAULT_SERVER",
                    alsa ? getenv("JACK_DEFAULT_SERVER") : "plenmora_no_such_server");
    ASSERT_TRUE(LoadSettings());
    gState->mAudioDriver = alsa ? 2 : 0;
    const std::string out = CaptureStdout([] { EXPECT_FALSE(InitialiseMidi()); });
    EXPECT_EQ(!alsa, out.find("no JACK server is running") != std::string::npos) << out;
    EXPECT_EQ(nullptr, gMidiIn);
    EXPECT_EQ(nullptr, gMidiOut);
    ProbeMidiIO();
    EXPECT_TRUE(gMIDIInputDevNames.empty());
    EXPECT_TRUE(gMIDIOutputDevNames.empty());
    EXPECT_FALSE(ChooseMidiInput("virtual input"));
    // A stored name that is not a choice still becomes "off".
    EXPECT_FALSE(ChooseMidiOutput("gone"));
    EXPECT_STREQ("off", gState->mMidiOutDevice);
    CloseMidiPorts();
    DeleteMidi();
    DeleteSettings();
  }
}
} // namespace
