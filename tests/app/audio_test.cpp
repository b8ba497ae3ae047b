// The audio engine and MIDI routing in this process. The audio callback on
// buffers of its own: the silent start, the fade, the gain and the block
// slicing at any buffer and block size (the buffers are exactly as long as
// the frame count says, so a read or write past them shows under the address
// sanitizer). Against a real JACK server, the stream's devices a test client
// of ours (RtAudio connects its outputs to the stream's inputs and the
// stream's outputs to its inputs): what really comes out of a stream, what
// MIDI reaches the plug-in and leaves it. (What a NaN on the input does is
// the effect's own test's: the host hands its samples on untouched.)
#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_main.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_support.h"

namespace
{
constexpr unsigned int kPeriod = 512; // the test server's
using Bytes = JackTestClient::Bytes;

// Exactly 51 silent callbacks, then a fade over the first processed buffer
// that ends at 1 exactly whatever the buffer size, and every block processed
// whole under the plug-in mutex, at a quarter: in place where buffers are
// whole blocks, else one block later. A block size no stream can use (0, from
// a broken settings file) takes the default of 32. With Mono the left input
// feeds both sides.
TEST(Callback, SilentStartThenWholeBlocksInPlaceOrOneBlockLater)
{
  const struct
  {
    int sigVS;
    unsigned int nFrames;
    bool mono;
  } cases[] = {{32, 512, false}, {32, 100, true}, {0, 7, false}, {48, 512, false}, {5, 3, false}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << c.sigVS << " / " << c.nFrames);
    // A failed case leaves the records to the next test's load.
    gState = new AppState();
    gState->mAudioMonoInput = c.mono;
    TestPlug plug(nullptr, &gState->mMidiOutChannel, false);
    gPluginInstance = &plug;
    PrepareAudioCallback(c.sigVS);
    // One callback whose input frame f (counted over all callbacks) is f + 1
    // on the left and -(f + 1) on the right.
    unsigned long frame = 0;
    auto run = [&]
    {
      std::vector<double> in(2 * c.nFrames), out(2 * c.nFrames, 99.0);
      for (unsigned int i = 0; i < c.nFrames; ++i)
        in[i] = frame + i + 1.0, in[c.nFrames + i] = -in[i];
      frame += c.nFrames;
      EXPECT_EQ(0, AudioCallback(out.data(), in.data(), c.nFrames, 0.0, 0, nullptr));
      return out;
    };
    const int sigVS = c.sigVS ? c.sigVS : 32;
    ASSERT_EQ(sigVS, gSigVS);
    for (int n = 0; n < 51; ++n)
      for (double v : run()) ASSERT_EQ(0.0, v);
    ASSERT_EQ(0u, plug.blocks);
    const unsigned long start = frame;
    const long delay = c.nFrames % sigVS == 0 ? 0 : sigVS;
    for (int n = 0; n < 40; ++n)
    {
      const unsigned long first = frame;
      const std::vector<double> out = run();
      ASSERT_TRUE(n == 0 || gFadeMult == 1.0) << gFadeMult - 1.0;
      for (unsigned int i = 0; i < c.nFrames; ++i)
      {
        const long src = (long)(first + i) - delay; // frame index of the input
        const double fade = n ? 1.0 : (i + 1.0) / c.nFrames;
        const double expected = src < (long)start ? 0.0 : 0.25 * fade * (double)(src + 1);
        ASSERT_NEAR(expected, out[i], 1e-12 * (double)first) << i;
        ASSERT_NEAR(c.mono ? expected : -expected, out[c.nFrames + i], 1e-12 * (double)first) << i;
      }
    }
    EXPECT_EQ(sigVS, plug.blockFrames);
    EXPECT_EQ((frame - start) / sigVS, plug.blocks);
    gPluginInstance = nullptr;
    DeleteSettings();
  }
}

// With a plug-in that passes audio and MIDI through, wired to the host's
// virtual MIDI ports. Exact silence while the devices settle, then (past the
// fade, which the callback test follows) a quarter of each input on its own
// side: the stream's buffers laid out as the callback reads and writes them.
// Then what reaches the plug-in, and so comes back out: one, two and three
// bytes with the missing data bytes zero; other lengths are reported and
// dropped, as are system exclusive, clock and active sensing; with input
// channel 3 only messages whose low four bits are 2 (11 for channel 12),
// system messages included; with output channel 10 channel messages (note off
// to pitch wheel) leave on channel 10. A plug-in that does no MIDI sends
// nothing of what reaches it.
TEST(JackHost, SilenceThenAQuarterOfEachSideThenMidiThroughTheChannels)
{
  TempHome home;
  JackTestClient client(200 * kPeriod, std::vector<float>(kPeriod, 0.5f),
                        std::vector<float>(kPeriod, -0.25f));
  ASSERT_TRUE(client.IsOpen()) << "no JACK server";
  ASSERT_TRUE(StartHost("[audio]\nindev=plenmora_test\noutdev=plenmora_test\n[midi]\n"
                        "indev=virtual input\noutdev=virtual output\n"));
  ASSERT_TRUE(client.Connect("midi_out", "RtMidi Input Client:To Plenmora"));
  ASSERT_TRUE(client.Connect("RtMidi Output Client:From Plenmora", "midi_in"));

  ASSERT_TRUE(client.Record(200 * kPeriod, 10000, false));
  const std::vector<float>& left = client.Recording(0);
  const std::vector<float>& right = client.Recording(1);
  size_t first = 0;
  while (first < left.size() && left[first] == 0.0f && right[first] == 0.0f) ++first;
  ASSERT_LT(first + 2 * kPeriod, left.size()) << "nothing came out";
  // Callbacks and periods line up: the fade starts with a period.
  EXPECT_EQ(0u, first % kPeriod);
  EXPECT_GE(first, (51 - 5) * kPeriod) << "too little silence";
  for (size_t i = first + kPeriod; i < left.size(); ++i)
  {
    ASSERT_EQ(0.125f, left[i]) << i;
    ASSERT_EQ(-0.0625f, right[i]) << i;
  }

  StopAudioStream(); // it would print when the busy machine makes it late
  const struct
  {
    uint16_t inChannel, outChannel;
    Bytes sent;
    std::vector<Bytes> out;
    bool plugDoesMidi = true;
  } cases[] = {
      {0, 0, {0x90, 0x40, 0x7f}, {{0x90, 0x40, 0x7f}}},
      {0, 0, {0x90, 0x40, 0x7f}, {}, false},
      {0, 10, {0x90, 0x40, 0x7f}, {}, false},
      {0, 0, {0xC0, 0x05}, {{0xC0, 0x05, 0x00}}},
      {0, 0, {0xFA}, {{0xFA, 0x00, 0x00}}},
      {0, 0, {0x90, 0x41, 0x7f, 0x00}, {}},
      {0, 0, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, {}},
      {0, 0, {0xF8}, {}},
      {0, 0, {0xFE}, {}},
      {3, 0, {0x92, 0x40, 0x7f}, {{0x92, 0x40, 0x7f}}},
      {3, 0, {0x90, 0x40, 0x7f}, {}},
      {3, 0, {0xFA}, {}},
      {12, 0, {0x9B, 0x40, 0x7f}, {{0x9B, 0x40, 0x7f}}},
      {0, 10, {0x90, 0x40, 0x7f}, {{0x99, 0x40, 0x7f}}},
      {0, 10, {0xFA}, {{0xFA, 0x00, 0x00}}},
      {0, 10, {0xE3, 0x00, 0x40}, {{0xE9, 0x00, 0x40}}},
      {0, 16, {0x80, 0x40, 0x00}, {{0x8F, 0x40, 0x00}}},
      // A setting beyond 16 (a broken settings file) must not change the kind.
      {0, 17, {0x92, 0x40, 0x7f}, {{0x92, 0x40, 0x7f}}},
  };
  // Takes what a case sends in place of the plug-in, which does MIDI.
  TestPlug noMidi(gMidiOut, &gState->mMidiOutChannel, false);
  IPlugStandalone* const plug = gPluginInstance;
  const std::string printed = CaptureStdout(
      [&]
      {
        for (const auto& c : cases)
        {
          SCOPED_TRACE(testing::Message() << (int)c.sent[0] << " in " << c.inChannel << " out "
                                          << c.outChannel << " midi " << c.plugDoesMidi);
          gState->mMidiInChannel = c.inChannel;
          gState->mMidiOutChannel = c.outChannel;
          const size_t taken = noMidi.midiMessages;
          if (!c.plugDoesMidi) gPluginInstance = &noMidi;
          bool sent = client.SendMidi(c.sent);
          if (!c.plugDoesMidi)
          {
            sent = sent && WaitUntil([&] { return noMidi.midiMessages > taken; }, 5000);
            gPluginInstance = plug;
          }
          // A control change of value 0x7f that passes the filter ends what
          // the case sent.
          const uint8_t marker = (uint8_t)(c.inChannel ? 0xB0 | (c.inChannel - 1) : 0xB5);
          ASSERT_TRUE(sent && client.SendMidi({marker, 0x7f, 0x01}));
          std::vector<Bytes> got = client.TakeMidi(c.out.size() + 1, 5000);
          ASSERT_TRUE(!got.empty() && got.back()[1] == 0x7f)
              << "no marker after " << testing::PrintToString(got);
          got.pop_back();
          EXPECT_EQ(c.out, got);
        }
      });
  EXPECT_EQ("NOT EXPECTING 4 midi callback msg len\n", printed);
  Cleanup();
}
} // namespace
