// The real preferences dialog of the window layer: how it is filled from
// device descriptions that no JACK server offers (rates that differ between
// devices, a one-channel device) and a stored MIDI name that is gone; and, on
// the X server, every control drawn apart from its neighbours with its whole
// text, and a click on a combo box's arrow reaching that combo box.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

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
void Pump()
{
  while (g_main_context_iteration(nullptr, FALSE))
  {
  }
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
  return WaitUntil(
      [&]
      {
        Pump();
        return done();
      },
      timeoutMs);
}

// The widgets of the dialog's controls, in creation order.
std::vector<GtkWidget*> Controls(GtkWidget* w)
{
  if (GTK_IS_FIXED(w))
  {
    GList* list = gtk_container_get_children(GTK_CONTAINER(w));
    std::vector<GtkWidget*> controls;
    for (GList* l = list; l; l = l->next) controls.push_back(GTK_WIDGET(l->data));
    g_list_free(list);
    return controls;
  }
  std::vector<GtkWidget*> found;
  if (GTK_IS_CONTAINER(w))
  {
    GList* list = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = list; l && found.empty(); l = l->next) found = Controls(GTK_WIDGET(l->data));
    g_list_free(list);
  }
  return found;
}

void Labels(GtkWidget* w, std::vector<GtkWidget*>& labels)
{
  if (GTK_IS_LABEL(w)) labels.push_back(w);
  if (GTK_IS_CONTAINER(w))
    gtk_container_forall(
        GTK_CONTAINER(w),
        [](GtkWidget* c, gpointer data)
        { Labels(c, *static_cast<std::vector<GtkWidget*>*>(data)); },
        &labels);
}

GdkRectangle Area(GtkWidget* w)
{
  GdkRectangle a;
  gtk_widget_get_allocation(w, &a);
  return a;
}

// What a control paints: a label only its text (clipped to the label), the
// others their whole area.
GdkRectangle Drawn(GtkWidget* w)
{
  GdkRectangle a = Area(w);
  if (!GTK_IS_LABEL(w)) return a;
  PangoRectangle ink;
  pango_layout_get_pixel_extents(gtk_label_get_layout(GTK_LABEL(w)), &ink, nullptr);
  int x = 0, y = 0;
  gtk_label_get_layout_offsets(GTK_LABEL(w), &x, &y);
  GdkRectangle text = {x + ink.x, y + ink.y, ink.width, ink.height};
  gdk_rectangle_intersect(&a, &text, &a);
  return a;
}

std::string Describe(GtkWidget* w)
{
  std::vector<GtkWidget*> labels;
  Labels(w, labels);
  const GdkRectangle a = Area(w);
  return std::string(G_OBJECT_TYPE_NAME(w)) + " '" +
         (labels.empty() ? "" : gtk_label_get_text(GTK_LABEL(labels[0]))) + "' at " +
         std::to_string(a.x) + "," + std::to_string(a.y) + " " + std::to_string(a.width) + "x" +
         std::to_string(a.height);
}

class PreferencesDialog : public ::testing::Test
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

  // Shows the dialog and waits until all its controls are on screen.
  void Show()
  {
    ShowWindow(mDlg, SW_SHOW);
    mControls = Controls(SWELL_GetWidget(mDlg));
    ASSERT_EQ(35u, mControls.size());
    ASSERT_TRUE(PumpUntil(
        [&]
        {
          for (GtkWidget* c : mControls)
            if (!gtk_widget_get_mapped(c)) return false;
          return true;
        },
        10000));
  }

  HWND mDlg = nullptr;
  std::vector<GtkWidget*> mControls;
};

using Strings = std::vector<std::string>;

TEST_F(PreferencesDialog, SampleRatesAreThoseBothDevicesOffer)
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

TEST_F(PreferencesDialog, ChannelListsLetTheSecondChannelFollowTheFirst)
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

TEST_F(PreferencesDialog, MidiNameThatIsNotOfferedBecomesOffAndIsSaved)
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
// No two controls share a pixel (group frames hold the others); every
// control starting inside a frame ends inside it; every text is drawn whole.
TEST_F(PreferencesDialog, ControlsApartInsideTheirFramesWithTheirWholeText)
{
  ASSERT_NO_FATAL_FAILURE(Show());
  for (size_t i = 0; i < mControls.size(); ++i)
  {
    const GdkRectangle a = Drawn(mControls[i]);
    for (size_t j = i + 1; j < mControls.size(); ++j)
    {
      const GdkRectangle b = Drawn(mControls[j]);
      if (GTK_IS_FRAME(mControls[i]) != GTK_IS_FRAME(mControls[j]))
      {
        const GdkRectangle& frame = GTK_IS_FRAME(mControls[i]) ? a : b;
        const GdkRectangle& c = GTK_IS_FRAME(mControls[i]) ? b : a;
        if (c.x < frame.x || c.x >= frame.x + frame.width || c.y < frame.y ||
            c.y >= frame.y + frame.height)
          continue;
        EXPECT_LE(c.x + c.width, frame.x + frame.width)
            << Describe(mControls[i]) << " / " << Describe(mControls[j]);
        EXPECT_LE(c.y + c.height, frame.y + frame.height)
            << Describe(mControls[i]) << " / " << Describe(mControls[j]);
        continue;
      }
      EXPECT_FALSE(gdk_rectangle_intersect(&a, &b, nullptr))
          << Describe(mControls[i]) << " overlaps " << Describe(mControls[j]);
    }
    std::vector<GtkWidget*> labels;
    Labels(mControls[i], labels);
    for (GtkWidget* label : labels)
    {
      int textW = 0;
      pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &textW, nullptr);
      EXPECT_LE(textW, Area(label).width) << Describe(mControls[i]);
      if (label != mControls[i] && !GTK_IS_FRAME(mControls[i]))
      {
        const GdkRectangle l = Area(label);
        EXPECT_GE(l.x, a.x) << Describe(mControls[i]);
        EXPECT_LE(l.x + l.width, a.x + a.width) << Describe(mControls[i]);
      }
    }
  }
}

// A click on the Output Device arrow opens its list; Mono, beside it in the
// resource, stays off.
TEST_F(PreferencesDialog, ClickOnTheOutputDeviceArrowOpensItsList)
{
  ASSERT_NO_FATAL_FAILURE(Show());
  HWND combo = GetDlgItem(mDlg, IDC_PREF_OUT_DEVICE);
  for (const char* item : {"system", "other"}) SendMessage(combo, CB_ADDSTRING, 0, (LPARAM)item);
  GtkWidget* w = SWELL_GetWidget(combo);
  gint x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(w), &x, &y);
  const GdkRectangle a = Area(w);
  // The arrow: the last pixels of the combo box, half way down.
  RunCommand("xdotool mousemove " + std::to_string(x + a.x + a.width - 8) + " " +
             std::to_string(y + a.y + a.height / 2) + " click 1");
  EXPECT_TRUE(PumpUntil(
      [&]
      {
        gboolean shown = FALSE;
        g_object_get(w, "popup-shown", &shown, nullptr);
        return shown != FALSE;
      },
      5000))
      << "the list did not open";
  EXPECT_EQ(BST_UNCHECKED, SendMessage(GetDlgItem(mDlg, IDC_PREF_MONO), BM_GETCHECK, 0, 0));
  gtk_combo_box_popdown(GTK_COMBO_BOX(w));
  Pump();
}
} // namespace
