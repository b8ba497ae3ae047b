// The stand-alone plug-in interface: the MIDI output with its channel
// rewrite, system exclusive, and the main window's resize with the editor.
#include <memory>

#include <gtest/gtest.h>
#include <RtMidi.h>

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
  const struct
  {
    uint16_t setting;
    IMidiMsg msg;
    Bytes sent;
  } cases[] = {
      {10, IMidiMsg(0, 0x90, 0x40, 0x7f), {0x99, 0x40, 0x7f}},
      {10, IMidiMsg(0, 0xE5, 1, 2), {0xE9, 0x01, 0x02}},
      {10, IMidiMsg(0, 0xFA), {0xFA, 0x00, 0x00}}, // system message: as it is, three bytes
      {10, IMidiMsg(0, 0xC3, 7), {0xC9, 0x07, 0x00}},
      {0, IMidiMsg(0, 0x90, 0x40, 0x7f), {0x90, 0x40, 0x7f}},
      {16, IMidiMsg(0, 0x80, 0x40, 0x00), {0x8F, 0x40, 0x00}},
      {1, IMidiMsg(0, 0xBF, 0x07, 0x64), {0xB0, 0x07, 0x64}},
      // A setting beyond 16 (a broken settings file) must not change the kind.
      {17, IMidiMsg(0, 0x92, 0x40, 0x7f), {0x92, 0x40, 0x7f}}};
  uint16_t channel = 0;
  TestPlug plug(mOut.get(), &channel, true);
  // The setting is read at every message.
  for (const auto& c : cases)
  {
    channel = c.setting;
    EXPECT_EQ(std::vector<Bytes>{c.sent}, Send(plug, {c.msg})) << c.setting;
  }
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
