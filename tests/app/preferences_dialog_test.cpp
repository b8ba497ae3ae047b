// The real preferences dialog in this process, on the X server and a JACK
// server of the test's own: every control drawn apart from its neighbours
// with its whole text, a click on a combo box's arrow reaching that combo
// box, the second channels following the first, and OK bringing audio and
// MIDI back after the server went away. The sample rates that the dialog
// offers for two devices.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_audio.h"
#include "app_main.h"
#include "app_settings.h"
#include "host_test_support.h"
#include "jack_support.h"
#include "swell_test_util.h"

namespace
{
// The widgets of the dialog's controls, in creation order: the children of
// the client area, below the window's menu bar.
std::vector<GtkWidget*> Controls(HWND dlg)
{
  std::vector<GtkWidget*> controls;
  GList* rows =
      gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(SWELL_GetWidget(dlg)))));
  for (GList* r = rows; r; r = r->next)
    if (GTK_IS_FIXED(r->data))
    {
      GList* list = gtk_container_get_children(GTK_CONTAINER(r->data));
      for (GList* l = list; l; l = l->next) controls.push_back(GTK_WIDGET(l->data));
      g_list_free(list);
    }
  g_list_free(rows);
  return controls;
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
  const GdkRectangle a = Area(w);
  return std::string(G_OBJECT_TYPE_NAME(w)) + " at " + std::to_string(a.x) + "," +
         std::to_string(a.y) + " " + std::to_string(a.width) + "x" + std::to_string(a.height);
}

// The dialog as the application makes it, filled from the server, on screen,
// with a plug-in that passes MIDI through on the virtual MIDI ports. No two
// controls share a pixel (group frames hold the others), and every text is
// drawn whole inside its control. A click on the Output Device arrow opens
// its list; Mono, beside it in the resource, stays off. Each second channel
// follows its first. The server goes away under the running stream and comes
// back; OK, without a change, brings back the stream (none runs) and both
// virtual MIDI ports, and a note sent in comes out.
TEST(PreferencesDialog, ControlsApartArrowClickAndOkAfterTheServerCameBack)
{
  JackServer server("plenmora_dialog" + std::to_string(getpid()), 44100, 512, 6);
  ASSERT_TRUE(server.Start());
  EnvScope name("JACK_DEFAULT_SERVER", server.Name().c_str());
  TempHome home;
  ASSERT_TRUE(StartHost("[midi]\nindev=virtual input\noutdev=virtual output\n"));
  HWND dlg = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_PREF, nullptr,
                                PreferencesDlgProc, 0);
  ASSERT_NE(nullptr, dlg);
  ShowWindow(dlg, SW_SHOW);
  const std::vector<GtkWidget*> controls = Controls(dlg);
  ASSERT_EQ(35u, controls.size());
  ASSERT_TRUE(PumpUntil(
      [&] { return std::all_of(controls.begin(), controls.end(), gtk_widget_get_mapped); }, 10000));

  for (size_t i = 0; i < controls.size(); ++i)
  {
    const GdkRectangle a = Drawn(controls[i]);
    for (size_t j = i + 1; j < controls.size(); ++j)
    {
      const GdkRectangle b = Drawn(controls[j]);
      EXPECT_TRUE(GTK_IS_FRAME(controls[i]) || GTK_IS_FRAME(controls[j]) ||
                  !gdk_rectangle_intersect(&a, &b, nullptr))
          << Describe(controls[i]) << " overlaps " << Describe(controls[j]);
    }
    std::vector<GtkWidget*> labels;
    Labels(controls[i], labels);
    for (GtkWidget* label : labels)
    {
      int textW = 0;
      pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &textW, nullptr);
      EXPECT_LE(textW, Area(label).width) << Describe(controls[i]);
      if (label != controls[i] && !GTK_IS_FRAME(controls[i]))
      {
        const GdkRectangle l = Area(label);
        EXPECT_GE(l.x, a.x) << Describe(controls[i]);
        EXPECT_LE(l.x + l.width, a.x + a.width) << Describe(controls[i]);
      }
    }
  }

  GtkWidget* w = SWELL_GetWidget(GetDlgItem(dlg, IDC_PREF_OUT_DEVICE));
  gint x = 0, y = 0;
  gdk_window_get_origin(gtk_widget_get_window(w), &x, &y);
  const GdkRectangle a = Area(w);
  // The arrow: the last pixels of the combo box, half way down.
  Xdo("mousemove " + std::to_string(x + a.x + a.width - 8) + " " +
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
  EXPECT_EQ(BST_UNCHECKED, SendMessage(GetDlgItem(dlg, IDC_PREF_MONO), BM_GETCHECK, 0, 0));
  gtk_combo_box_popdown(GTK_COMBO_BOX(w));
  Drain();

  // The second channel follows the first on the server's six channels: In 1
  // item 3 (channel 4) shows item 4 in In 2, and a pick in In 2 snaps back to
  // it; the same for the outputs. The first channels end as they began.
  using Channel = uint16_t AppState::*;
  const struct
  {
    int id, item, secondId;
    Channel first, second;
    int firstValue, secondValue;
  } choices[] = {
      {IDC_PREF_IN1, 3, IDC_PREF_IN2, &AppState::mAudioIn1, &AppState::mAudioIn2, 4, 5},
      {IDC_PREF_IN2, 0, IDC_PREF_IN2, &AppState::mAudioIn1, &AppState::mAudioIn2, 4, 5},
      {IDC_PREF_IN1, 0, IDC_PREF_IN2, &AppState::mAudioIn1, &AppState::mAudioIn2, 1, 2},
      {IDC_PREF_OUT1, 2, IDC_PREF_OUT2, &AppState::mAudioOut1, &AppState::mAudioOut2, 3, 4},
      {IDC_PREF_OUT2, 5, IDC_PREF_OUT2, &AppState::mAudioOut1, &AppState::mAudioOut2, 3, 4},
      {IDC_PREF_OUT1, 0, IDC_PREF_OUT2, &AppState::mAudioOut1, &AppState::mAudioOut2, 1, 2}};
  for (const auto& c : choices)
  {
    SCOPED_TRACE(testing::Message() << c.id << " item " << c.item);
    ASSERT_TRUE(SWELL_SimulateUserSelect(GetDlgItem(dlg, c.id), c.item));
    EXPECT_EQ(c.firstValue, gState->*c.first);
    EXPECT_EQ(c.secondValue, gState->*c.second);
    EXPECT_EQ(c.secondValue - 1, SendMessage(GetDlgItem(dlg, c.secondId), CB_GETCURSEL, 0, 0));
  }

  server.Stop();
  EXPECT_TRUE(WaitUntil([] { return !gDAC->isStreamOpen(); }, 20000));
  ASSERT_TRUE(server.Start());
  SWELL_SimulateUserClick(GetDlgItem(dlg, IDOK));
  EXPECT_TRUE(gDAC->isStreamRunning());
  JackTestClient client;
  ASSERT_TRUE(client.IsOpen());
  ASSERT_TRUE(client.Connect("midi_out", "RtMidi Input Client:To Plenmora"));
  ASSERT_TRUE(client.Connect("RtMidi Output Client:From Plenmora", "midi_in"));
  ASSERT_TRUE(client.SendMidi({0x90, 0x40, 0x7f}));
  EXPECT_EQ((std::vector<JackTestClient::Bytes>{{0x90, 0x40, 0x7f}}), client.TakeMidi(1, 5000));
  DestroyWindow(dlg);
  Cleanup();
}

// The sample rates offered are those that both devices share, in the input
// device's order, once for each equal pair.
TEST(PreferencesDialog, SampleRatesAreThoseBothDevicesShare)
{
  using Rates = std::vector<unsigned int>;
  const struct
  {
    Rates in, out, shared;
  } cases[] = {{{44100, 48000}, {96000}, {}},
               {{44100, 48000}, {48000, 96000}, {48000}},
               {{96000, 44100, 48000}, {48000, 44100, 96000}, {96000, 44100, 48000}},
               {{44100, 44100, 48000}, {48000, 44100}, {44100, 44100, 48000}},
               {{48000}, {48000, 48000}, {48000, 48000}},
               {{}, {44100}, {}},
               {{44100}, {}, {}}};
  for (const auto& c : cases)
    EXPECT_EQ(c.shared, SharedSampleRates(c.in, c.out))
        << testing::PrintToString(c.in) << " " << testing::PrintToString(c.out);
}
} // namespace
