// The real preferences dialog on the X server: every control drawn apart
// from its neighbours with its whole text, and a click on a combo box's arrow
// reaching that combo box.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "app_audio.h"
#include "app_main.h"
#include "app_settings.h"
#include "host_test_support.h"

namespace
{
// Runs the main loop until done() holds or timeoutMs passed.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
  return WaitUntil(
      [&]
      {
        while (g_main_context_iteration(nullptr, FALSE)) continue;
        return done();
      },
      timeoutMs);
}

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

// The dialog as the application makes it, filled from the JACK server, on
// screen.
class PreferencesDialog : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(LoadSettings());
    mDlg = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_PREF, nullptr,
                              PreferencesDlgProc, 0);
    ASSERT_NE(nullptr, mDlg);
    ShowWindow(mDlg, SW_SHOW);
    mControls = Controls(mDlg);
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
  void TearDown() override
  {
    if (mDlg) DestroyWindow(mDlg);
    DeleteAudioDriver();
    DeleteSettings();
  }

  TempHome mHome;
  HWND mDlg = nullptr;
  std::vector<GtkWidget*> mControls;
};

// No two controls share a pixel (group frames hold the others), and every
// text is drawn whole inside its control.
TEST_F(PreferencesDialog, ControlsApartWithTheirWholeText)
{
  for (size_t i = 0; i < mControls.size(); ++i)
  {
    const GdkRectangle a = Drawn(mControls[i]);
    for (size_t j = i + 1; j < mControls.size(); ++j)
    {
      const GdkRectangle b = Drawn(mControls[j]);
      if (GTK_IS_FRAME(mControls[i]) || GTK_IS_FRAME(mControls[j])) continue;
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
  GtkWidget* w = SWELL_GetWidget(GetDlgItem(mDlg, IDC_PREF_OUT_DEVICE));
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
  PumpUntil([] { return true; }, 0);
}
} // namespace
