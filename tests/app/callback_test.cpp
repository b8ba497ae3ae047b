// The audio callback on buffers of its own: the silent start, the fade, the
// gain and the block slicing at any buffer and block size. The buffers are
// exactly as long as the frame count says, so a read or write past them
// shows under the address sanitizer.
#include <gtest/gtest.h>

#include "app_audio.h"
#include "app_settings.h"
#include "host_test_support.h"

namespace
{
// Exactly 51 silent callbacks, then a fade over the first processed buffer
// that ends at 1 exactly whatever the buffer size, and every block processed
// whole under the plug-in mutex, at a quarter: in place where buffers are
// whole blocks, else one block later. A block size no stream can use (0, from
// a broken settings file) takes the default of 32. With Mono the left input
// feeds both sides.
TEST(Callback, SilentStartThenWholeBlocksInPlaceOrOneBlockLater)
{
  struct Case
  {
    int sigVS;
    unsigned int nFrames;
    bool mono;
  };
  for (const Case c : {Case{32, 512, false}, Case{32, 100, true}, Case{0, 7, false},
                       Case{48, 512, false}, Case{5, 3, false}})
  {
    SCOPED_TRACE(testing::Message() << c.sigVS << " / " << c.nFrames);
    AppState state;
    state.mAudioMonoInput = c.mono;
    TestPlug plug(nullptr, &state.mMidiOutChannel, false);
    gState = &state;
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
    gState = nullptr;
  }
}
} // namespace
