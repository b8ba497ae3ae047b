#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IPlugBase.h"
#include "recording_control.h"
#include "test_graphics.h"

namespace
{
enum
{
  kRoom = 0,
  kMix,
  kMode,
  kNumParams
};

// A small plug-in that records what the base calls on it, and whether it held
// its mutex at the time.
class TestPlug : public IPlugBase
{
public:
  TestPlug()
      : IPlugBase(kNumParams, "1-1 2-2", 3, "TestVerb", "TestVerb", "Tester", 0x10000, 1, 2, 0,
                  false, false, false, kAPISA)
  {
    GetParam(kRoom)->InitDouble("Room", 50.0, 0.0, 100.0, 0.1, "%");
    GetParam(kMix)->InitDouble("Mix", 30.0, 0.0, 100.0, 0.1, "%");
    GetParam(kMode)->InitEnum("Mode", 0, 3);
  }

  std::vector<std::string> calls;
  bool lockedDuringChange = false;

  void OnParamChange(int idx) override
  {
    lockedDuringChange = mMutex.HeldByCurrentThread();
    calls.push_back("change " + std::to_string(idx));
  }
  void InformHostOfParamChange(int idx, double) override
  {
    calls.push_back("inform " + std::to_string(idx));
  }
  void InformHostOfProgramChange() override { calls.push_back("program"); }
  void BeginInformHostOfParamChange(int) override {}
  void EndInformHostOfParamChange(int) override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  bool SendSysEx(ISysEx*) override { return false; }

  using IPlugBase::MakeDefaultPreset;
  using IPlugBase::MakePreset;
  WDL_Mutex& Mutex() { return mMutex; }
};

} // namespace

TEST(IPlugBase, SetParameterFromGUISetsInformsThenChangesUnderTheMutex)
{
  TestPlug plug;
  plug.SetParameterFromGUI(kRoom, 0.25);
  EXPECT_DOUBLE_EQ(plug.GetParam(kRoom)->Value(), 25.0);
  EXPECT_EQ(plug.calls, (std::vector<std::string>{"inform 0", "change 0"}));
  EXPECT_TRUE(plug.lockedDuringChange);
  EXPECT_FALSE(plug.Mutex().HeldByCurrentThread());

  plug.calls.clear();
  plug.SetParameterFromGUI(17, 0.5); // no such parameter
  EXPECT_TRUE(plug.calls.empty());
}

TEST(IPlugBase, PresetsRestoreEveryValue)
{
  TestPlug plug;
  ASSERT_TRUE(plug.MakePreset("Hall", 80.0, 45.5, 2));
  ASSERT_TRUE(plug.MakeDefaultPreset("Init"));
  EXPECT_FALSE(plug.MakePreset("Too few values", 1.0, 2.0));
  EXPECT_STREQ(plug.GetPresetName(0), "Hall");
  EXPECT_STREQ(plug.GetPresetName(1), "Init");
  EXPECT_STREQ(plug.GetPresetName(9), "");
  // Declaring presets does not change the current values.
  EXPECT_DOUBLE_EQ(plug.GetParam(kRoom)->Value(), 50.0);

  plug.SetParameterFromGUI(kRoom, 0.99);
  plug.calls.clear();
  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_DOUBLE_EQ(plug.GetParam(kRoom)->Value(), 80.0);
  EXPECT_DOUBLE_EQ(plug.GetParam(kMix)->Value(), 45.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(kMode)->Value(), 2.0);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug.calls, (std::vector<std::string>{"change 0", "change 1", "change 2", "program"}));
  EXPECT_TRUE(plug.lockedDuringChange);

  ASSERT_TRUE(plug.RestorePreset(1));
  EXPECT_DOUBLE_EQ(plug.GetParam(kRoom)->Value(), 50.0);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);

  // Out of range, or a slot that holds nothing: no change.
  plug.calls.clear();
  for (int idx : {3, -1, 2}) EXPECT_FALSE(plug.RestorePreset(idx)) << idx;
  EXPECT_TRUE(plug.calls.empty());
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
}

TEST(IPlugBase, StateRoundTripAndShortChunk)
{
  TestPlug a, b;
  a.GetParam(kRoom)->Set(12.3);
  a.GetParam(kMode)->Set(2);
  ByteChunk chunk;
  ASSERT_TRUE(a.SerializeParams(&chunk));
  EXPECT_EQ(b.UnserializeParams(&chunk, 0), chunk.Size());
  EXPECT_DOUBLE_EQ(b.GetParam(kRoom)->Value(), 12.3);
  EXPECT_DOUBLE_EQ(b.GetParam(kMode)->Value(), 2.0);

  ByteChunk shortChunk;
  const double one = 1.0;
  shortChunk.Put(&one);
  b.calls.clear();
  EXPECT_EQ(b.UnserializeParams(&shortChunk, 0), -1);
  EXPECT_DOUBLE_EQ(b.GetParam(kRoom)->Value(), 12.3);
  EXPECT_TRUE(b.calls.empty());
}

// The values pushed at attaching and after a preset are the editors' (a
// knob scrolled in the GTK editor test, the knob frames of a preset in the
// host's editor test); the back buffer is every drawing test's.
TEST(IPlugBase, AttachGraphicsOwnsTheEditor)
{
  std::vector<std::string> log;
  {
    TestPlug plug;
    plug.AttachGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    auto* gui = new TestGraphics(&plug, 620, 580);
    for (int i = 0; i < kNumParams; ++i)
      gui->AttachControl(new RecordingControl(&plug, IRECT(0, 0, 10, 10), i, "c", &log));
    plug.AttachGraphics(gui);
    EXPECT_EQ(plug.GetGUI(), gui);
    EXPECT_TRUE(log.empty());
  }
  // The plug-in deleted its editor and with it the controls.
  EXPECT_EQ(log, std::vector<std::string>(kNumParams, "c deleted"));
}

TEST(IPlugBase, HostChannelsAndScratchBuffers)
{
  TestPlug plug;
  EXPECT_TRUE(plug.GetParam(3) == nullptr && plug.GetParam(-1) == nullptr);
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  plug.SetHost("standalone", 0x10000);
  EXPECT_EQ(plug.GetHost(), kHostStandalone);
  plug.SetHost("some other host", 3);
  EXPECT_EQ(plug.GetHost(), kHostUnknown);
  EXPECT_EQ(plug.GetHostVersion(), 3);

  // "1-1 2-2": at most two channels each way, none connected at first.
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  plug.SetInputChannelConnections(1, 5, true); // clipped to the channel count
  EXPECT_FALSE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  plug.SetOutputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 1, false);
  EXPECT_FALSE(plug.IsOutChannelConnected(0));
  EXPECT_TRUE(plug.IsOutChannelConnected(1));

  plug.SetBlockSize(64);
  EXPECT_EQ(plug.GetBlockSize(), 64);
  double* scratch = plug.GetInScratchBuffer(0);
  ASSERT_NE(scratch, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(scratch[i], 0.0);
  scratch[63] = 1.0;
  plug.SetBlockSize(64); // unchanged size: contents stay
  EXPECT_EQ(plug.GetInScratchBuffer(0)[63], 1.0);
  plug.SetBlockSize(128); // new size: resized and zeroed
  for (int i = 0; i < 128; ++i) ASSERT_EQ(plug.GetInScratchBuffer(0)[i], 0.0);
  EXPECT_EQ(plug.GetOutScratchBuffer(2), nullptr);
}
