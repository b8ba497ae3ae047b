// The stand-alone plug-in interface: the MIDI output with its channel
// rewrite, system exclusive, the fixed host answers, the main window's
// resize with the editor, and processing under the plug-in mutex.
#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <RtMidi.h>
#include <gtk/gtk.h>

#include "IGraphics.h"
#include "host_test_support.h"
#include "jack_test_client.h"
#include "swell-dlggen.h"
#include "swell.h"

namespace
{
using Bytes = std::vector<uint8_t>;

class MidiOutTest : public testing::Test
{
protected:
  void SetUp() override
  {
    JackTestClient::Options options;
    options.audioIns = options.audioOuts = 0;
    options.midiOuts = 0;
    mClient = std::make_unique<JackTestClient>(options);
    ASSERT_TRUE(mClient->IsOpen()) << "no JACK server";
    ASSERT_TRUE(mClient->Activate());
    mOut = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "RtMidi Output Client");
    mOut->openVirtualPort("From Plenmora");
    ASSERT_TRUE(
        mClient->Connect("RtMidi Output Client:From Plenmora", mClient->PortName("midi_in")));
  }

  // What leaves the port for each message sent through plug.
  std::vector<Bytes> Send(IPlugStandalone& plug, const std::vector<IMidiMsg>& msgs)
  {
    for (IMidiMsg m : msgs) EXPECT_TRUE(plug.SendMidiMsg(&m));
    EXPECT_TRUE(mClient->WaitForMidi(mReceived + msgs.size(), 5000));
    mReceived += msgs.size();
    return mClient->TakeMidi();
  }

  std::unique_ptr<JackTestClient> mClient;
  std::unique_ptr<RtMidiOut> mOut;
  size_t mReceived = 0;
};

TEST_F(MidiOutTest, OutputChannelIsForcedOnChannelMessagesOnly)
{
  uint16_t channel = 10;
  TestPlug plug(mOut.get(), &channel, true);
  std::vector<Bytes> out = Send(plug, {IMidiMsg(0, 0x90, 0x40, 0x7f), IMidiMsg(0, 0xE5, 1, 2),
                                       IMidiMsg(0, 0xFA), IMidiMsg(0, 0xC3, 7)});
  ASSERT_EQ(4u, out.size());
  EXPECT_EQ((Bytes{0x99, 0x40, 0x7f}), out[0]);
  EXPECT_EQ((Bytes{0xE9, 0x01, 0x02}), out[1]);
  EXPECT_EQ((Bytes{0xFA, 0x00, 0x00}), out[2]); // system message: as it is, three bytes
  EXPECT_EQ((Bytes{0xC9, 0x07, 0x00}), out[3]);

  // The setting is read at every message.
  channel = 0;
  out = Send(plug, {IMidiMsg(0, 0x90, 0x40, 0x7f)});
  EXPECT_EQ((Bytes{0x90, 0x40, 0x7f}), out.at(0));
  channel = 16;
  out = Send(plug, {IMidiMsg(0, 0x80, 0x40, 0x00)});
  EXPECT_EQ((Bytes{0x8F, 0x40, 0x00}), out.at(0));
  channel = 1;
  out = Send(plug, {IMidiMsg(0, 0xBF, 0x07, 0x64)});
  EXPECT_EQ((Bytes{0xB0, 0x07, 0x64}), out.at(0));
  // A setting beyond 16 (a broken settings file) must not change the kind.
  channel = 17;
  out = Send(plug, {IMidiMsg(0, 0x92, 0x40, 0x7f)});
  EXPECT_EQ((Bytes{0x92, 0x40, 0x7f}), out.at(0));
}

TEST_F(MidiOutTest, NothingIsSentWithoutMidiOrWithoutAnOutput)
{
  uint16_t channel = 0;
  TestPlug noMidi(mOut.get(), &channel, false);
  IMidiMsg msg(0, 0x90, 0x40, 0x7f);
  EXPECT_FALSE(noMidi.SendMidiMsg(&msg));
  TestPlug noOutput(nullptr, &channel, true);
  EXPECT_FALSE(noOutput.SendMidiMsg(&msg));
  const uint8_t sysex[] = {0xF0, 0x01, 0xF7};
  ISysEx sx(0, sysex, 3);
  EXPECT_FALSE(noOutput.SendSysEx(&sx));
  mClient->WaitForMidi(1, 300);
  EXPECT_TRUE(mClient->TakeMidi().empty());
}

TEST_F(MidiOutTest, SystemExclusiveGoesOutWhole)
{
  uint16_t channel = 3;
  TestPlug plug(mOut.get(), &channel, false);
  const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
  ISysEx sx(0, sysex, (int)sizeof(sysex));
  EXPECT_TRUE(plug.SendSysEx(&sx));
  ASSERT_TRUE(mClient->WaitForMidi(1, 5000));
  const std::vector<Bytes> out = mClient->TakeMidi();
  ASSERT_EQ(1u, out.size());
  EXPECT_EQ(Bytes(sysex, sysex + sizeof(sysex)), out[0]);
}

TEST(Standalone, FixedHostAnswersAndSetUp)
{
  uint16_t channel = 0;
  TestPlug plug(nullptr, &channel, false);
  EXPECT_EQ(120.0, plug.GetTempo());
  EXPECT_EQ(0, plug.GetSamplePos());
  EXPECT_EQ(120.0, plug.GetTempo());
  int num = 7, den = 9;
  plug.GetTimeSig(&num, &den);
  EXPECT_EQ(7, num);
  EXPECT_EQ(9, den);
  ITimeInfo info;
  info.mTempo = 99.0;
  plug.GetTime(&info);
  EXPECT_EQ(99.0, info.mTempo);
  EXPECT_EQ(kAPISA, plug.GetAPI());
  EXPECT_EQ(1024, plug.GetBlockSize());
  EXPECT_EQ(0x10000, plug.GetHostVersion());
  EXPECT_TRUE(plug.IsInChannelConnected(0) && plug.IsInChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(0) && plug.IsOutChannelConnected(1));
}

// Holds the plug-in's mutex while it processes; another thread's lock waits.
class SlowPlug : public TestPlug
{
public:
  SlowPlug(uint16_t* chan) : TestPlug(nullptr, chan, false) {}
  void ProcessDoubleReplacing(double** in, double** out, int n) override
  {
    mInside = true;
    while (!mRelease) std::this_thread::yield();
    TestPlug::ProcessDoubleReplacing(in, out, n);
    mInside = false;
  }
  std::atomic<bool> mInside{false}, mRelease{false};
};

TEST(Standalone, ProcessingHoldsThePluginMutex)
{
  uint16_t channel = 0;
  SlowPlug plug(&channel);
  double l[4] = {1, 2, 3, 4}, r[4] = {5, 6, 7, 8}, ol[4], orr[4];
  double* in[2] = {l, r};
  double* out[2] = {ol, orr};
  std::thread audio([&] { plug.LockMutexAndProcessDoubleReplacing(in, out, 4); });
  while (!plug.mInside) std::this_thread::yield();
  std::atomic<bool> locked{false};
  std::thread other(
      [&]
      {
        IPlugBase::IMutexLock lock(&plug);
        locked = true;
      });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(locked) << "the lock was taken while the plug-in processed";
  plug.mRelease = true;
  audio.join();
  other.join();
  EXPECT_TRUE(locked);
  ASSERT_EQ(1u, plug.NumBlocks());
  EXPECT_TRUE(plug.GetBlock(0).mutexHeld);
  EXPECT_EQ(4, plug.GetBlock(0).nFrames);
  EXPECT_EQ(4.0, ol[3]);
  EXPECT_EQ(8.0, orr[3]);
  EXPECT_FALSE(plug.MutexHeld());
}

// ---- The main window follows the editor's size ----

const int kMainDialog = 9101;
SWELL_DialogRegHelper sMain(&SWELL_curmodule_dialogresource_head, nullptr, kMainDialog,
                            SWELL_DLG_WS_FLIPPED | SWELL_DLG_WS_NOAUTOSIZE, "Main", 300, 200, 1.0);

INT_PTR MainProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

class SizedEditor : public IGraphics
{
public:
  SizedEditor(int w, int h) : mW(w), mH(h) {}
  void SetParameterFromPlug(int, double, bool) override {}
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override {}
  int Width() const override { return mW; }
  int Height() const override { return mH; }
  int mW, mH;
};

class ResizePlug : public TestPlug
{
public:
  ResizePlug(uint16_t* chan) : TestPlug(nullptr, chan, false) {}
  void OnWindowResize() override { ++mResized; }
  int mResized = 0;
};

TEST(Standalone, ResizeGraphicsFitsTheWindowToTheEditorAndTitleBar)
{
  uint16_t channel = 0;
  ResizePlug plug(&channel);
  gHWND =
      SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, kMainDialog, nullptr, MainProc, 0);
  ASSERT_NE(nullptr, gHWND) << "no display";
  ASSERT_TRUE(SetWindowPos(gHWND, nullptr, 100, 700, 300, 200, 0));

  // The main window's rectangle as left, top, width, height.
  auto windowRect = []
  {
    RECT r = {};
    GetWindowRect(gHWND, &r);
    return std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };

  // Without an editor nothing happens.
  plug.ResizeGraphics(620, 580);
  EXPECT_EQ((std::vector<int>{100, 700, 300, 200}), windowRect());
  EXPECT_EQ(0, plug.mResized);

  // x = left, y = bottom - H - 22, W x (H + 22): the bottom edge stays.
  auto* editor = new SizedEditor(620, 580);
  plug.AttachGraphics(editor);
  plug.ResizeGraphics(0, 0); // the arguments are not used
  EXPECT_EQ((std::vector<int>{100, 900 - 602, 620, 602}), windowRect());
  EXPECT_EQ(1, plug.mResized);

  editor->mW = 400;
  editor->mH = 300;
  plug.ResizeGraphics(400, 300);
  EXPECT_EQ((std::vector<int>{100, 900 - 322, 400, 322}), windowRect());
  EXPECT_EQ(2, plug.mResized);

  DestroyWindow(gHWND);
  gHWND = nullptr;
}
} // namespace
