// The audio engine against a real JACK server: device lists, opening streams
// and what really comes out of them; and the callback's block slicing, fade
// and gain on buffers of any size.
#include <cmath>
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_server.h"
#include "jack_test_client.h"

namespace
{
constexpr unsigned int kPeriod = 512; // the test server's buffer size
constexpr size_t kSilentCallbacks = 51;

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
  const std::pair<const char*, const char*> cases[] = {{"hw:HDA Intel: ALC: Analog", "Analog"},
                                                       {"system", "system"},
                                                       {"a:b", "a:b"},
                                                       {"card: ", ""},
                                                       {": x", "x"},
                                                       {"", ""}};
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
// buffer, the output gain, and the left and right inputs kept apart; then
// Mono switched on while the stream runs feeds the left input to both sides.
TEST_F(AudioTest, SilenceThenFadeInThenQuarterGainThenMono)
{
  MakeClient(200 * kPeriod);
  mClient->SetSignal(0, std::vector<float>(kPeriod, 0.5f));
  mClient->SetSignal(1, std::vector<float>(kPeriod, -0.25f));
  ASSERT_TRUE(mClient->Activate());
  ASSERT_TRUE(mClient->StartRecording());
  ASSERT_TRUE(StartWithTestPlug("plenmora_test"));
  ASSERT_TRUE(mClient->WaitForFrames(200 * kPeriod, 10000));

  const std::vector<float>& left = mClient->Recording(0);
  const std::vector<float>& right = mClient->Recording(1);
  size_t first = 0;
  while (first < left.size() && left[first] == 0.0f && right[first] == 0.0f) ++first;
  ASSERT_LT(first + 2 * kPeriod, left.size()) << "nothing came out";
  // Callbacks and periods line up: the fade starts with a period.
  EXPECT_EQ(0u, first % kPeriod);
  EXPECT_GE(first, (kSilentCallbacks - 5) * kPeriod) << "too little silence";
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
  EnvScope noServer("JACK_DEFAULT_SERVER", "plenmora_no_such_server");
  ASSERT_TRUE(LoadSettings());
  EXPECT_FALSE(StartHost([](RtMidiOut* o, uint16_t* c) { return new TestPlug(o, c, false); }));
  EXPECT_TRUE(gAudioIDDevNames.empty());
  EXPECT_FALSE(InitialiseAudio(0, 0, 44100, 512, 2, 0, 0));
  EXPECT_FALSE(gDAC->isStreamOpen());
  StopHost();
  DeleteSettings();
}
} // namespace
