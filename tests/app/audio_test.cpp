// The audio engine against a real JACK server: what really comes out of a
// stream, and changes that cannot be made.
#include <memory>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_test_client.h"

namespace
{
constexpr unsigned int kPeriod = 512; // the test server's buffer size

class AudioTest : public testing::Test
{
protected:
  void SetUp() override { ASSERT_TRUE(LoadSettings()); }
  void TearDown() override
  {
    StopHost();
    mClient.reset();
    DeleteSettings();
  }

  // A test client that is also the stream's device: RtAudio connects its
  // outputs to the stream's inputs and the stream's outputs to its inputs.
  void Start(size_t recordFrames)
  {
    mClient = std::make_unique<JackTestClient>(true, recordFrames);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
    mClient->SetSignal(0, std::vector<float>(kPeriod, 0.5f));
    mClient->SetSignal(1, std::vector<float>(kPeriod, -0.25f));
    ASSERT_TRUE(mClient->Activate());
    ASSERT_TRUE(mClient->StartRecording());
    SetAppStateText(gState->mAudioInDevice, "plenmora_test");
    SetAppStateText(gState->mAudioOutDevice, "plenmora_test");
    ASSERT_TRUE(StartHost([this](RtMidiOut* out, uint16_t* chan)
                          { return mPlug = new TestPlug(out, chan, false); }));
  }

  TempHome mHome;
  std::unique_ptr<JackTestClient> mClient;
  TestPlug* mPlug = nullptr;
};

// Exact silence while the devices settle, the fade over the first processed
// buffer, the output gain, and the left and right inputs kept apart; then
// Mono switched on while the stream runs feeds the left input to both sides.
TEST_F(AudioTest, SilenceThenFadeInThenQuarterGainThenMono)
{
  ASSERT_NO_FATAL_FAILURE(Start(200 * kPeriod));
  ASSERT_TRUE(mClient->WaitForFrames(200 * kPeriod, 10000));

  const std::vector<float>& left = mClient->Recording(0);
  const std::vector<float>& right = mClient->Recording(1);
  size_t first = 0;
  while (first < left.size() && left[first] == 0.0f && right[first] == 0.0f) ++first;
  ASSERT_LT(first + 2 * kPeriod, left.size()) << "nothing came out";
  // Callbacks and periods line up: the fade starts with a period.
  EXPECT_EQ(0u, first % kPeriod);
  EXPECT_GE(first, (51 - 5) * kPeriod) << "too little silence";
  for (unsigned i = 0; i < kPeriod; ++i)
  {
    const double fade = (i + 1) / (double)kPeriod;
    ASSERT_NEAR(0.5 * fade * 0.25, left[first + i], 1e-7) << i;
    ASSERT_NEAR(-0.25 * fade * 0.25, right[first + i], 1e-7) << i;
  }
  for (size_t i = first + kPeriod; i < left.size(); ++i)
  {
    ASSERT_EQ(0.125f, left[i]) << i;
    ASSERT_EQ(-0.0625f, right[i]) << i;
  }

  gState->mAudioMonoInput = 1;
  ASSERT_TRUE(mClient->StartRecording());
  ASSERT_TRUE(mClient->WaitForFrames(20 * kPeriod, 10000));
  for (size_t i = 10 * kPeriod; i < 20 * kPeriod; ++i)
  {
    ASSERT_EQ(0.125f, left[i]) << i;
    ASSERT_EQ(0.125f, right[i]) << i;
  }
}

} // namespace
