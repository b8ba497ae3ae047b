// MIDI through the virtual JACK MIDI ports, with a plug-in that passes what
// it gets on: the input callback's lengths and channel filter, and the
// output channel forced on channel messages only.

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_test_client.h"

namespace
{
using Bytes = std::vector<uint8_t>;

TEST(Midi, InputLengthsAndChannelFilterThenTheOutputChannel)
{
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  JackTestClient client(false);
  ASSERT_TRUE(client.IsOpen() && client.Activate()) << "no JACK server";
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  TestPlug* plug = new TestPlug(nullptr, &gState->mMidiOutChannel, true);
  gPluginInstance = plug;
  ASSERT_TRUE(ChooseMidiInput("virtual input"));
  ASSERT_TRUE(ChooseMidiOutput("virtual output"));
  ASSERT_TRUE(client.Connect(client.PortName("midi_out"), "RtMidi Input Client:To Plenmora"));
  ASSERT_TRUE(client.Connect("RtMidi Output Client:From Plenmora", client.PortName("midi_in")));

  // What reaches the plug-in, and so comes back out: one, two and three
  // bytes with the missing data bytes zero; other lengths are reported and
  // dropped, as are system exclusive, clock and active sensing; with input
  // channel 3 only messages whose low four bits are 2, system messages
  // included; with output channel 10 channel messages leave on channel 10.
  const struct
  {
    uint16_t inChannel, outChannel;
    Bytes sent;
    std::vector<Bytes> out;
  } cases[] = {
      {0, 0, {0x90, 0x40, 0x7f}, {{0x90, 0x40, 0x7f}}},
      {0, 0, {0xC0, 0x05}, {{0xC0, 0x05, 0x00}}},
      {0, 0, {0xFA}, {{0xFA, 0x00, 0x00}}},
      {0, 0, {0x90, 0x41, 0x7f, 0x00}, {}},
      {0, 0, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, {}},
      {0, 0, {0xF8}, {}},
      {0, 0, {0xFE}, {}},
      {3, 0, {0x92, 0x40, 0x7f}, {{0x92, 0x40, 0x7f}}},
      {3, 0, {0x90, 0x40, 0x7f}, {}},
      {3, 0, {0xFA}, {}},
      {0, 10, {0x90, 0x40, 0x7f}, {{0x99, 0x40, 0x7f}}},
      {0, 10, {0xFA}, {{0xFA, 0x00, 0x00}}},
      {0, 16, {0x80, 0x40, 0x00}, {{0x8F, 0x40, 0x00}}},
      // A setting beyond 16 (a broken settings file) must not change the kind.
      {0, 17, {0x92, 0x40, 0x7f}, {{0x92, 0x40, 0x7f}}},
  };
  const std::string printed = CaptureStdout(
      [&]
      {
        for (const auto& c : cases)
        {
          SCOPED_TRACE(testing::Message()
                       << (int)c.sent[0] << " in " << c.inChannel << " out " << c.outChannel);
          gState->mMidiInChannel = c.inChannel;
          gState->mMidiOutChannel = c.outChannel;
          // A control change that passes the filter ends what the case sent.
          const uint8_t marker = (uint8_t)(c.inChannel ? 0xB0 | (c.inChannel - 1) : 0xB5);
          ASSERT_TRUE(client.SendMidi(c.sent));
          ASSERT_TRUE(client.SendMidi({marker, 0x7f, 0x01}));
          std::vector<Bytes> got;
          ASSERT_TRUE(WaitUntil(
              [&]
              {
                for (Bytes& m : client.TakeMidi()) got.push_back(m);
                return !got.empty() && (got.back()[0] & 0xF0) == 0xB0 && got.back()[1] == 0x7f;
              },
              5000));
          got.pop_back();
          EXPECT_EQ(c.out, got);
        }
      });
  EXPECT_EQ("NOT EXPECTING 4 midi callback msg len\n", printed);
  StopHost();
  DeleteSettings();
}
} // namespace
