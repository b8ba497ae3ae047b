// Message boxes: buttons, results, text and caption.
#include <gtest/gtest.h>

#include <cstring>

#include "swell.h"
#include "swell_test_util.h"

namespace
{
// The GtkMessageDialog that is open, or null.
GtkWidget* OpenMessageDialog()
{
  GtkWidget* found = nullptr;
  GList* list = gtk_window_list_toplevels();
  for (GList* l = list; l; l = l->next)
    if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
      found = GTK_WIDGET(l->data);
  g_list_free(list);
  return found;
}

int CountButtons(GtkWidget* dialog)
{
  int n = 0;
  for (int id = IDOK; id <= IDNO; id++)
    n += gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), id) ? 1 : 0;
  return n;
}
} // namespace

TEST(MessageBox, OkBoxShowsTextAndCaption)
{
  static char text[256], caption[256];
  static int type = -1, buttons = 0;
  static bool shown = false;
  After(100,
        []
        {
          GtkWidget* d = OpenMessageDialog();
          shown = d != nullptr;
          if (d)
          {
            buttons = CountButtons(d);
            EXPECT_STREQ("caption", gtk_window_get_title(GTK_WINDOW(d)));
          }
          EXPECT_TRUE(SWELL_GetMessageBoxInfo(text, sizeof(text), caption, sizeof(caption), &type));
          EXPECT_FALSE(SWELL_EndMessageBox(IDCANCEL)); // no such button
          EXPECT_TRUE(SWELL_EndMessageBox(IDOK));
        });
  EXPECT_EQ(IDOK, MessageBox(nullptr, "Maker\nBuilt on a day", "caption", MB_OK));
  EXPECT_TRUE(shown);
  EXPECT_EQ(1, buttons);
  EXPECT_STREQ("Maker\nBuilt on a day", text);
  EXPECT_STREQ("caption", caption);
  EXPECT_EQ(MB_OK, type);
  EXPECT_FALSE(SWELL_GetMessageBoxInfo(text, sizeof(text), caption, sizeof(caption), &type));
}

TEST(MessageBox, ResultCodesOfTheButtons)
{
  struct
  {
    int type, press, expect, buttons;
  } cases[] = {
      {MB_YESNO, IDNO, IDNO, 2},
      {MB_YESNOCANCEL, IDYES, IDYES, 3},
      {MB_OKCANCEL, IDCANCEL, IDCANCEL, 2},
      {MB_RETRYCANCEL, IDRETRY, IDRETRY, 2},
      {MB_ABORTRETRYIGNORE, IDIGNORE, IDIGNORE, 3},
  };
  for (auto& c : cases)
  {
    static int press, buttons;
    press = c.press;
    buttons = 0;
    After(50,
          []
          {
            if (GtkWidget* d = OpenMessageDialog()) buttons = CountButtons(d);
            SWELL_EndMessageBox(press);
          });
    EXPECT_EQ(c.expect, MessageBox(nullptr, "q", "t", c.type | MB_ICONQUESTION)) << c.type;
    EXPECT_EQ(c.buttons, buttons) << c.type;
  }
}

TEST(MessageBox, ClosingTheBox)
{
  // Closed without a button: Cancel where there is one, else the harmless choice.
  struct
  {
    int type, expect;
  } cases[] = {{MB_OK, IDOK}, {MB_OKCANCEL, IDCANCEL}, {MB_YESNO, IDNO}};
  for (auto& c : cases)
  {
    After(50,
          []
          {
            if (GtkWidget* d = OpenMessageDialog()) gtk_window_close(GTK_WINDOW(d));
          });
    EXPECT_EQ(c.expect, MessageBox(nullptr, "q", "t", c.type)) << c.type;
  }
}
