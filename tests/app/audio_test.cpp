// The audio engine against a real JACK server: device lists, opening streams
// and what really comes out of them; and the callback's block slicing, fade
// and gain on buffers of any size.
#include <cmath>
#include <algorithm>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_server.h"
#include "jack_test_client.h"

namespace
{
constexpr unsigned int kPeriod = 512; // the test server's buffer size
constexpr int kSilentCallbacks = 51;

std::vector<float> Constant(float v) { return std::vector<float>(kPeriod, v); }

// Noise of a prime length, so a delayed copy is found at one delay only.
std::vector<float> Noise(unsigned seed)
{
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
  std::vector<float> v(10007);
  for (float& x : v) x = dist(gen);
  return v;
}

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
  void MakeClient(size_t recordFrames = 0)
  {
    JackTestClient::Options options;
    options.recordFrames = recordFrames;
    mClient = std::make_unique<JackTestClient>(options);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
  }

  bool StartWithTestPlug(const char* device)
  {
    SetAppStateText(gState->mAudioInDevice, device);
    SetAppStateText(gState->mAudioOutDevice, device);
    return StartHost([this](RtMidiOut* out, uint16_t* chan)
                     { return mPlug = new TestPlug(out, chan, false); });
  }

  TempHome mHome;
  std::unique_ptr<JackTestClient> mClient;
  TestPlug* mPlug = nullptr;
};

TEST(AudioDeviceNames, ListedByWhatFollowsTheLastSeparator)
{
  const std::pair<const char*, const char*> cases[] = {
      {"hw:HDA Intel: ALC: Analog", "Analog"}, {"system", "system"}, {"a:b", "a:b"},
      {"card: ", ""}, {": x", "x"}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(c.second, ShortAudioDeviceName(c.first)) << c.first;
}

TEST_F(AudioTest, JackClientsAreDevicesAndFailedProbesKeepTheirIndex)
{
  MakeClient();
  // A client whose name JACK's port search reads as a pattern matching
  // nothing: RtAudio cannot count its channels.
  JackTestClient::Options badOptions;
  badOptions.name = "probe[fail]";
  JackTestClient bad(badOptions);
  ASSERT_TRUE(mClient->Activate() && bad.Activate());

  ASSERT_TRUE(TryToChangeAudioDriverType());
  EXPECT_EQ("probe[fail]: Probe Status = Unsuccessful\n", CaptureStdout(ProbeAudioIO));
  ASSERT_EQ(gAudioIDDevNames.size(), gDAC->getDeviceCount());
  for (size_t i = 0; i < gAudioIDDevNames.size(); ++i)
    EXPECT_EQ(gDAC->getDeviceInfo((unsigned)i).name, gAudioIDDevNames[i]);
  auto listed = [](const std::vector<unsigned>& v, const char* name)
  {
    const int id = GetAudioDeviceID(name);
    return id >= 0 && std::find(v.begin(), v.end(), (unsigned)id) != v.end();
  };
  for (const char* name : {"system", "plenmora_test"})
    EXPECT_TRUE(listed(gAudioInputDevs, name) && listed(gAudioOutputDevs, name)) << name;
  ASSERT_GE(GetAudioDeviceID("probe[fail]"), 0);
  EXPECT_FALSE(listed(gAudioInputDevs, "probe[fail]") || listed(gAudioOutputDevs, "probe[fail]"));
  EXPECT_EQ("", GetAudioDeviceName(-1));
  EXPECT_EQ("", GetAudioDeviceName((int)gAudioIDDevNames.size()));
  EXPECT_EQ(-1, GetAudioDeviceID("Built-in Input"));
}

TEST_F(AudioTest, DefaultsOpenTheServersSystemDevice)
{
  bool opened = false;
  const std::string out = CaptureStdout(
      [&]
      { opened = StartHost([](RtMidiOut* o, uint16_t* c) { return new TestPlug(o, c, false); }); });
  ASSERT_TRUE(opened);
  const std::string system = std::to_string(GetAudioDeviceID("system"));
  EXPECT_NE(std::string::npos,
            out.find("\ntrying to start audio stream @ 44100 sr, 512 iovs, 32 sigvs\nindev = " +
                     system + ":system\noutdev = " + system + ":system\n"))
      << out;
  EXPECT_TRUE(gDAC->isStreamRunning());
  EXPECT_TRUE(AllSettingsInStateAreEqual(gActiveState, gState));
  // The plug-in was set up for the stream before it started.
  EXPECT_EQ(32, gPluginInstance->GetBlockSize());
  EXPECT_EQ(44100.0, gPluginInstance->GetSampleRate());
}

// Changes that cannot be made: the running stream or the record of the last
// good one stays, and the plug-in is not set up for arguments no stream gets.
TEST_F(AudioTest, RefusedChangesKeepTheStreamOrTheActiveSettings)
{
  MakeClient();
  ASSERT_TRUE(mClient->Activate());
  ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
  const AppState active = *gActiveState;
  ASSERT_TRUE(mPlug->WaitForBlocks(16, 5000));

  // A device that is not there: false, silently, and the stream runs on.
  SetAppStateText(gState->mAudioInDevice, "Built-in Input");
  bool result = true;
  EXPECT_EQ("", CaptureStdout([&] { result = TryToChangeAudio(); }));
  EXPECT_FALSE(result);
  EXPECT_TRUE(mPlug->WaitForBlocks(mPlug->NumBlocks() + 32, 5000)) << "the old stream stopped";
  SetAppStateText(gState->mAudioInDevice, "plenmora_test");

  const int id = GetAudioDeviceID("plenmora_test");
  std::string out = CaptureStdout([&] { result = InitialiseAudio(id, id, 0, 512, 2, 0, 0); });
  EXPECT_FALSE(result);
  EXPECT_NE(std::string::npos, out.find("can't open an audio stream")) << out;
  EXPECT_FALSE(InitialiseAudio(id, id, 44100, 512, 1, 0, 0));
  EXPECT_EQ(1, mPlug->NumResets());
  EXPECT_EQ(44100.0, mPlug->GetSampleRate());

  // The server runs at 44100 Hz only; the device has two channels.
  SetAppStateText(gState->mAudioSampleRate, "48000");
  out = CaptureStdout([&] { result = TryToChangeAudio(); });
  EXPECT_FALSE(result);
  EXPECT_NE(std::string::npos, out.find("trying to start audio stream @ 48000 sr")) << out;
  SetAppStateText(gState->mAudioSampleRate, "44100");
  gState->mAudioIn1 = 2;
  EXPECT_FALSE(TryToChangeAudio());
  EXPECT_FALSE(gDAC->isStreamOpen());
  EXPECT_TRUE(AllSettingsInStateAreEqual(&active, gActiveState));

  // Text the engine cannot use takes the defaults; channel 0 is the first.
  SetAppStateText(gState->mAudioSampleRate, "0");
  SetAppStateText(gState->mAudioIOVS, "lots");
  gState->mAudioIn1 = 0;
  gState->mAudioOut1 = 0;
  out = CaptureStdout([&] { result = TryToChangeAudio(); });
  EXPECT_TRUE(result);
  EXPECT_NE(std::string::npos, out.find("@ 44100 sr, 512 iovs, 32 sigvs")) << out;
  EXPECT_TRUE(gDAC->isStreamRunning());
}

// Exact silence while the devices settle, the fade over the first processed
// buffer, the output gain, and the left and right inputs kept apart.
TEST_F(AudioTest, SilenceThenFadeInThenQuarterGain)
{
  MakeClient(200 * kPeriod);
  mClient->SetSignal(0, Constant(0.5f));
  mClient->SetSignal(1, Constant(-0.25f));
  ASSERT_TRUE(mClient->Activate());
  ASSERT_TRUE(mClient->StartRecording());
  ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
  ASSERT_TRUE(mClient->WaitForFrames(200 * kPeriod, 10000));
  StopHost();

  mPlug = nullptr; // deleted with the host
  const std::vector<float>& left = mClient->Recording(0);
  const std::vector<float>& right = mClient->Recording(1);
  size_t first = 0;
  while (first < left.size() && left[first] == 0.0f && right[first] == 0.0f) ++first;
  ASSERT_LT(first + 2 * kPeriod, left.size()) << "nothing came out";
  // Callbacks and periods line up: the fade starts with a period.
  EXPECT_EQ(0u, first % kPeriod);
  EXPECT_GE(first, (size_t)(kSilentCallbacks - 5) * kPeriod) << "too little silence";
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
}

TEST_F(AudioTest, PluginRunsFromTheFiftySecondCallbackInSixteenBlocksUnderItsMutex)
{
  MakeClient();
  ASSERT_TRUE(mClient->Activate());
  ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
  ASSERT_TRUE(mPlug->WaitForBlocks(16 * 20, 10000));
  StopAudioStream();
  // Reset once for the stream, before any block.
  EXPECT_EQ(1, mPlug->NumResets());
  const size_t n = mPlug->NumBlocks() / 16 * 16;
  ASSERT_GE(n, 16u * 20);
  EXPECT_EQ((unsigned)kSilentCallbacks, mPlug->GetBlock(0).vecElapsed);
  for (size_t b = 0; b < n; ++b)
  {
    const TestPlug::Block& blk = mPlug->GetBlock(b);
    const TestPlug::Block& head = mPlug->GetBlock(b - b % 16);
    const size_t k = b % 16;
    ASSERT_EQ(32, blk.nFrames);
    ASSERT_TRUE(blk.mutexHeld);
    ASSERT_EQ(head.vecElapsed, blk.vecElapsed);
    ASSERT_EQ(kSilentCallbacks + b / 16, blk.vecElapsed);
    // Frames 0, 32, ..., 480 of both non-interleaved channels.
    ASSERT_EQ(head.out[0] + 32 * k, blk.out[0]);
    ASSERT_EQ(blk.out[0] + kPeriod, blk.out[1]);
    ASSERT_EQ(head.in[0] + 32 * k, blk.in[0]);
    ASSERT_EQ(blk.in[0] + kPeriod, blk.in[1]);
  }
}

TEST_F(AudioTest, MonoInputFeedsBothSidesAndSwitchesWhileRunning)
{
  MakeClient(120 * kPeriod);
  mClient->SetSignal(0, Constant(0.5f));
  mClient->SetSignal(1, Constant(-0.25f));
  ASSERT_TRUE(mClient->Activate());
  gState->mAudioMonoInput = 1;
  ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
  ASSERT_TRUE(mPlug->WaitForBlocks(16 * 10, 10000));
  ASSERT_TRUE(mClient->StartRecording());
  ASSERT_TRUE(mClient->WaitForFrames(20 * kPeriod, 5000));
  const std::vector<float>& left = mClient->Recording(0);
  const std::vector<float>& right = mClient->Recording(1);
  for (size_t i = 0; i < 20 * kPeriod; ++i)
  {
    ASSERT_EQ(0.125f, left[i]) << i;
    ASSERT_EQ(0.125f, right[i]) << i;
  }
  mPlug->WaitForBlocks(mPlug->NumBlocks() + 1, 1000);
  EXPECT_EQ(mPlug->GetBlock(mPlug->NumBlocks() - 1).in[0],
            mPlug->GetBlock(mPlug->NumBlocks() - 1).in[1]);

  // Off again while the stream runs: the right input is back at once.
  gState->mAudioMonoInput = 0;
  ASSERT_TRUE(mClient->StartRecording());
  ASSERT_TRUE(mClient->WaitForFrames(120 * kPeriod, 10000));
  EXPECT_EQ(0.125f, left.back());
  EXPECT_EQ(-0.0625f, right.back());
  EXPECT_FALSE(AllSettingsInStateAreEqual(gState, gActiveState));
}

// Blocks that straddle device buffers (a signal vector size above the
// buffer size, or one that does not divide it) are processed whole, one
// block later, without touching memory past the device buffers.
TEST_F(AudioTest, BlocksStraddlingBuffersComeOutOneBlockLater)
{
  const std::vector<float> noise = Noise(1);
  const size_t len = noise.size();
  long baseDelay = -1;
  for (const char* sigvs : {"32", "1024", "48"})
  {
    SCOPED_TRACE(sigvs);
    MakeClient(30 * kPeriod);
    mClient->SetSignal(0, noise);
    mClient->SetSignal(1, noise);
    ASSERT_TRUE(mClient->Activate());
    // Straight into the record, past the checks of the settings file.
    SetAppStateText(gState->mAudioSigVS, sigvs);
    ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
    ASSERT_TRUE(mPlug->WaitForBlocks(1, 10000));
    ASSERT_TRUE(mPlug->WaitForBlocks(mPlug->NumBlocks() + 8192 / atoi(sigvs), 10000));
    ASSERT_TRUE(mClient->StartRecording());
    ASSERT_TRUE(mClient->WaitForFrames(30 * kPeriod, 10000));
    for (size_t b = 0; b < mPlug->NumBlocks(); ++b)
      ASSERT_EQ(atoi(sigvs), mPlug->GetBlock(b).nFrames);
    StopHost();
    mPlug = nullptr;

    // Recorded frame i left the client's loop at startPos + i, less the delay.
    const std::vector<float>& left = mClient->Recording(0);
    const std::vector<float>& right = mClient->Recording(1);
    const size_t startPos = mClient->RecordStartSignalPos();
    long delay = -1;
    for (long d = 0; d < (long)len && delay < 0; ++d)
    {
      bool match = true;
      for (size_t i = 0; i < left.size() && match; ++i)
      {
        const float in = noise[(startPos + i + len * 8 - (size_t)d) % len];
        match = std::fabs(left[i] - in * 0.25f) < 1e-6f && std::fabs(right[i] - in * 0.25f) < 1e-6f;
      }
      if (match) delay = d;
    }
    ASSERT_GE(delay, 0) << "the output is not a scaled copy of the input";
    if (baseDelay < 0)
      baseDelay = delay; // the server's and RtAudio's own delay
    else
      EXPECT_EQ(baseDelay + atoi(sigvs), delay);
    mClient.reset();
  }
}

TEST_F(AudioTest, EveryDriverChoiceKeepsTheHostRunning)
{
  // A driver number that no driver has (only possible by hand): no object,
  // and nothing opens.
  gState->mAudioDriver = 9;
  EXPECT_FALSE(TryToChangeAudioDriverType());
  EXPECT_EQ(nullptr, gDAC);
  ProbeAudioIO();
  EXPECT_TRUE(gAudioIDDevNames.empty());
  EXPECT_FALSE(TryToChangeAudio());
  EXPECT_FALSE(InitialiseAudio(0, 0, 44100, 512, 2, 0, 0));
  // PulseAudio and ALSA, whether or not they find a device here.
  const std::pair<uint16_t, RtAudio::Api> drivers[] = {
      {2, RtAudio::LINUX_ALSA}, {1, RtAudio::LINUX_PULSE}, {0, RtAudio::UNIX_JACK}};
  for (const auto& d : drivers)
  {
    gState->mAudioDriver = d.first;
    ASSERT_TRUE(TryToChangeAudioDriverType()) << d.first;
    EXPECT_EQ(d.second, gDAC->getCurrentApi());
  }
}

TEST(AudioWithoutServer, NoDevicesNoStreamNoCrash)
{
  TempHome home;
  JackServerScope noServer("plenmora_no_such_server");
  ASSERT_TRUE(LoadSettings());
  uint16_t chan = 0;
  TestPlug plug(nullptr, &chan, false);
  gPluginInstance = &plug;
  EXPECT_TRUE(TryToChangeAudioDriverType());
  ProbeAudioIO();
  EXPECT_TRUE(gAudioIDDevNames.empty());
  EXPECT_TRUE(gAudioInputDevs.empty());
  EXPECT_FALSE(TryToChangeAudio());
  EXPECT_FALSE(InitialiseAudio(0, 0, 44100, 512, 2, 0, 0));
  EXPECT_FALSE(gDAC->isStreamOpen());
  StopAudioStream();
  CloseAudioStream();
  DeleteAudioDriver();
  gPluginInstance = nullptr;
  DeleteSettings();
}
} // namespace
