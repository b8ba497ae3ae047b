// The JACK server going away under a running stream, on a server of the
// test's own: the host keeps running, and once the server is back a new
// stream opens and sound comes out again.
#include <chrono>
#include <memory>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_server.h"
#include "jack_test_client.h"
#include "test_util.h"

namespace
{
constexpr unsigned int kPeriod = 512;

std::unique_ptr<JackTestClient> PlayingClient()
{
  auto client = std::make_unique<JackTestClient>(true, 20 * kPeriod);
  if (!client->IsOpen()) return nullptr;
  client->SetSignal(0, std::vector<float>(kPeriod, 0.5f));
  client->SetSignal(1, std::vector<float>(kPeriod, 0.5f));
  if (!client->Activate()) return nullptr;
  return client;
}

TEST(ServerRestart, HostSurvivesTheServerAndReopensWhenItIsBack)
{
  JackServer server("plenmora_restart" + std::to_string(getpid()));
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  EnvScope scope("JACK_DEFAULT_SERVER", server.Name().c_str());
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  SetAppStateText(gState->mAudioInDevice, "plenmora_test");
  SetAppStateText(gState->mAudioOutDevice, "plenmora_test");
  SetAppStateText(gState->mMidiInDevice, "virtual input");

  std::unique_ptr<JackTestClient> client = PlayingClient();
  ASSERT_TRUE(client);
  TestPlug* plug = nullptr;
  ASSERT_TRUE(StartHost([&](RtMidiOut* out, uint16_t* chan)
                        { return plug = new TestPlug(out, chan, false); }));
  ASSERT_TRUE(plug->WaitForBlocks(16 * 5, 10000));
  EXPECT_EQ(0, AudioServerLosses());

  // The server goes away under the running stream.
  ASSERT_TRUE(server.Stop());
  EXPECT_TRUE(WaitUntil([] { return !gDAC->isStreamOpen(); }, 5000))
      << "the stream was not closed after the server went away";
  const size_t blocks = plug->NumBlocks();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(blocks, plug->NumBlocks());
  client.reset();

  EXPECT_EQ(1, AudioServerLosses());
  // Without a server: no devices, no stream, nothing breaks.
  ProbeAudioIO();
  EXPECT_TRUE(gAudioIDDevNames.empty());
  EXPECT_FALSE(TryToChangeAudio());
  const AppState active = *gActiveState;
  EXPECT_TRUE(AllSettingsInStateAreEqual(&active, gState));

  // The server is back: the devices are found again and a stream opens.
  ASSERT_TRUE(server.Start()) << "jackd did not start again";
  client = PlayingClient();
  ASSERT_TRUE(client);
  ProbeAudioIO();
  ASSERT_GE(GetAudioDeviceID("plenmora_test"), 0);
  ASSERT_TRUE(TryToChangeAudio());
  EXPECT_TRUE(gDAC->isStreamRunning());
  ASSERT_TRUE(plug->WaitForBlocks(blocks + 16 * 5, 10000));
  ASSERT_TRUE(client->StartRecording());
  ASSERT_TRUE(client->WaitForFrames(20 * kPeriod, 10000));
  EXPECT_EQ(0.125f, client->Recording(0).back());
  EXPECT_EQ(0.125f, client->Recording(1).back());

  // The MIDI client went with the old server: a new one opens the port.
  EXPECT_TRUE(ChooseMidiInput("virtual input"));
  // Shut-down with MIDI clients that lost their server on the way.
  StopHost();
  client.reset();
  DeleteSettings();
  EXPECT_TRUE(server.Stop());
}
} // namespace
