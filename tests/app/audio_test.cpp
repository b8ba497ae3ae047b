// The audio engine and MIDI routing against a real JACK server, with a
// plug-in that passes audio and MIDI through: what really comes out of a
// stream, and what MIDI reaches the plug-in and leaves it.
#include <memory>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_test_client.h"

namespace
{
constexpr unsigned int kPeriod = 512; // the test server's buffer size
using Bytes = std::vector<uint8_t>;

// The stream's devices are a test client of ours: RtAudio connects its
// outputs to the stream's inputs and the stream's outputs to its inputs. The
// host's virtual MIDI ports are wired to the client's.
class JackHostTest : public testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(LoadSettings());
    mClient = std::make_unique<JackTestClient>(true, 200 * kPeriod);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
    mClient->SetSignal(0, std::vector<float>(kPeriod, 0.5f));
    mClient->SetSignal(1, std::vector<float>(kPeriod, -0.25f));
    ASSERT_TRUE(mClient->Activate());
    ASSERT_TRUE(mClient->StartRecording());
    SetAppStateText(gState->mAudioInDevice, "plenmora_test");
    SetAppStateText(gState->mAudioOutDevice, "plenmora_test");
    SetAppStateText(gState->mMidiInDevice, "virtual input");
    SetAppStateText(gState->mMidiOutDevice, "virtual output");
    ASSERT_TRUE(
        StartHost([](RtMidiOut* out, uint16_t* chan) { return new TestPlug(out, chan, true); }));
    ASSERT_TRUE(mClient->Connect(mClient->PortName("midi_out"), "RtMidi Input Client:To Plenmora"));
    ASSERT_TRUE(
        mClient->Connect("RtMidi Output Client:From Plenmora", mClient->PortName("midi_in")));
  }
  void TearDown() override
  {
    StopHost();
    mClient.reset();
    DeleteSettings();
  }

  TempHome mHome;
  std::unique_ptr<JackTestClient> mClient;
};

// Exact silence while the devices settle, then (past the fade, which the
// callback test follows) a quarter of each input on its own side: the
// stream's buffers laid out as the callback reads and writes them.
TEST_F(JackHostTest, SilenceThenAQuarterOfEachSide)
{
  ASSERT_TRUE(mClient->WaitForFrames(200 * kPeriod, 10000));
  const std::vector<float>& left = mClient->Recording(0);
  const std::vector<float>& right = mClient->Recording(1);
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
}

// What reaches the plug-in, and so comes back out: one, two and three bytes
// with the missing data bytes zero; other lengths are reported and dropped,
// as are system exclusive, clock and active sensing; with input channel 3
// only messages whose low four bits are 2, system messages included; with
// output channel 10 channel messages leave on channel 10.
TEST_F(JackHostTest, MidiInputLengthsAndChannelFilterThenTheOutputChannel)
{
  StopAudioStream(); // it would print when the busy machine makes it late
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
          ASSERT_TRUE(mClient->SendMidi(c.sent));
          ASSERT_TRUE(mClient->SendMidi({marker, 0x7f, 0x01}));
          std::vector<Bytes> got;
          ASSERT_TRUE(WaitUntil(
              [&]
              {
                for (Bytes& m : mClient->TakeMidi()) got.push_back(m);
                return !got.empty() && (got.back()[0] & 0xF0) == 0xB0 && got.back()[1] == 0x7f;
              },
              5000));
          got.pop_back();
          EXPECT_EQ(c.out, got);
        }
      });
  EXPECT_EQ("NOT EXPECTING 4 midi callback msg len\n", printed);
}
} // namespace
