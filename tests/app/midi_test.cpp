// MIDI input and output through the virtual JACK MIDI ports: the input
// callback's lengths and channel filter, and what a plug-in that does MIDI
// sends out of "From Plenmora".
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
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

class MidiTest : public testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(LoadSettings());
    mClient = std::make_unique<JackTestClient>(false);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
    ASSERT_TRUE(mClient->Activate());
  }
  void TearDown() override
  {
    StopHost();
    mClient.reset();
    DeleteSettings();
  }

  // The host with a plug-in of the tests' own and both virtual ports open
  // and wired to the test client; the audio stream is left out.
  void StartWired(bool doesMidi)
  {
    TryToChangeAudioDriverType();
    ProbeAudioIO();
    gPluginInstance = mPlug = new TestPlug(nullptr, &gState->mMidiOutChannel, doesMidi);
    ASSERT_TRUE(ChooseMidiInput("virtual input"));
    ASSERT_TRUE(ChooseMidiOutput("virtual output"));
    ASSERT_TRUE(mClient->Connect(mClient->PortName("midi_out"), "RtMidi Input Client:To Plenmora"));
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
               {10, IMidiMsg(0, 0xFA), {0xFA, 0x00, 0x00}},
               {0, IMidiMsg(0, 0x90, 0x40, 0x7f), {0x90, 0x40, 0x7f}},
               {16, IMidiMsg(0, 0x80, 0x40, 0x00), {0x8F, 0x40, 0x00}},
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
}
} // namespace
