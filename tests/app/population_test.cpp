// The functions that fill the preferences dialog, on a real dialog of the
// window layer, with device descriptions that no JACK server offers (rates
// that differ between devices, a one-channel device) and a stored MIDI name
// that is gone.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app_audio.h"
#include "app_main.h"
#include "app_midi.h"
#include "app_settings.h"
#include "host_test_support.h"

namespace
{
class Population : public ::testing::Test
{
protected:
  void SetUp() override
  {
    gState = new AppState();
    mDlg = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_PREF, nullptr,
                              nullptr, 0);
    ASSERT_NE(nullptr, mDlg);
  }
  void TearDown() override
  {
    if (mDlg) DestroyWindow(mDlg);
    DeleteSettings();
  }

  std::vector<std::string> Items(int id)
  {
    std::vector<std::string> items;
    HWND combo = GetDlgItem(mDlg, id);
    const int n = (int)SendMessage(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i)
    {
      char buf[1024] = "";
      SendMessage(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)buf);
      items.push_back(buf);
    }
    return items;
  }
  int Sel(int id) { return (int)SendMessage(GetDlgItem(mDlg, id), CB_GETCURSEL, 0, 0); }

  HWND mDlg = nullptr;
};

using Strings = std::vector<std::string>;

TEST_F(Population, SampleRatesAreThoseBothDevicesOffer)
{
  RtAudio::DeviceInfo in, out;
  in.sampleRates = {44100, 48000};
  out.sampleRates = {48000, 96000};
  PopulateSampleRateList(mDlg, &in, &out);
  EXPECT_EQ(Strings({"48000"}), Items(IDC_PREF_SAMPLE_RATE));
  EXPECT_EQ(-1, Sel(IDC_PREF_SAMPLE_RATE)); // the stored 44100 is not offered

  snprintf(gState->mAudioSampleRate, sizeof(gState->mAudioSampleRate), "48000");
  in.sampleRates = {22050, 48000, 96000};
  PopulateSampleRateList(mDlg, &in, &out);
  EXPECT_EQ(Strings({"48000", "96000"}), Items(IDC_PREF_SAMPLE_RATE)); // emptied first
  EXPECT_EQ(0, Sel(IDC_PREF_SAMPLE_RATE));
}

TEST_F(Population, ChannelListsLetTheSecondChannelFollowTheFirst)
{
  RtAudio::DeviceInfo twoIn, oneOut;
  twoIn.inputChannels = 2;
  oneOut.outputChannels = 1;
  PopulateAudioInputList(mDlg, &twoIn);
  EXPECT_EQ(Strings({"1"}), Items(IDC_PREF_IN1));
  EXPECT_EQ(Strings({"1", "2"}), Items(IDC_PREF_IN2));
  EXPECT_EQ(0, Sel(IDC_PREF_IN1));
  EXPECT_EQ(1, Sel(IDC_PREF_IN2));

  PopulateAudioOutputList(mDlg, &oneOut);
  EXPECT_EQ(Strings(), Items(IDC_PREF_OUT1));
  EXPECT_EQ(Strings({"1"}), Items(IDC_PREF_OUT2));
  EXPECT_EQ(-1, Sel(IDC_PREF_OUT1));
  EXPECT_EQ(-1, Sel(IDC_PREF_OUT2)); // channel 2 does not exist
}

TEST_F(Population, MidiNameThatIsNotOfferedBecomesOffAndIsSaved)
{
  // A settings file in a home folder of our own.
  TempHome home;
  ASSERT_TRUE(LoadSettings());
  const std::string path = home.SettingsFile();
  TryToChangeAudioDriverType();
  ProbeAudioIO();
  ASSERT_TRUE(ProbeMidiIO());
  snprintf(gState->mMidiInDevice, sizeof(gState->mMidiInDevice), "gone:port");
  snprintf(gState->mMidiOutDevice, sizeof(gState->mMidiOutDevice), "virtual output");
  gState->mMidiOutChannel = 16;

  EXPECT_TRUE(PopulateMidiDialogs(mDlg));
  DeleteAudioDriver();

  EXPECT_STREQ("off", gState->mMidiInDevice);
  EXPECT_EQ(Strings({"off", "virtual input"}), Items(IDC_PREF_MIDI_IN));
  EXPECT_EQ(0, Sel(IDC_PREF_MIDI_IN));
  EXPECT_EQ(1, Sel(IDC_PREF_MIDI_OUT));
  EXPECT_EQ(17u, Items(IDC_PREF_MIDI_IN_CHAN).size());
  EXPECT_EQ(0, Sel(IDC_PREF_MIDI_IN_CHAN));
  EXPECT_EQ(16, Sel(IDC_PREF_MIDI_OUT_CHAN));
  const std::string saved = ReadFile(path);
  EXPECT_NE(std::string::npos, saved.find("indev=off")) << saved;
  EXPECT_NE(std::string::npos, saved.find("outdev=virtual output")) << saved;
}
} // namespace
