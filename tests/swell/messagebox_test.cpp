// Message boxes: buttons, results, text and caption.
#include <gtest/gtest.h>

#include <string>

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
} // namespace

TEST(MessageBox, ButtonsResultsTextAndCaption)
{
  // press 0: the box is closed without a button, which gives Cancel where
  // there is one, else the harmless choice.
  const struct
  {
    int type, press, result, buttons, absent;
  } cases[] = {
      {MB_OK, IDOK, IDOK, 1, IDCANCEL},
      {MB_YESNO | MB_ICONQUESTION, IDNO, IDNO, 2, IDOK},
      {MB_YESNOCANCEL, IDYES, IDYES, 3, IDOK},
      {MB_RETRYCANCEL | MB_ICONWARNING, IDRETRY, IDRETRY, 2, IDIGNORE},
      {MB_ABORTRETRYIGNORE, IDIGNORE, IDIGNORE, 3, IDCANCEL},
      {MB_OKCANCEL, 0, IDCANCEL, 2, IDYES},
      {MB_YESNO, 0, IDNO, 2, IDOK},
  };
  for (auto& c : cases)
  {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " press " << c.press);
    int buttons = 0, type = 0;
    std::string text, caption, title;
    When([] { return OpenMessageDialog() != nullptr; },
         [&]
         {
           GtkWidget* d = OpenMessageDialog();
           ASSERT_NE(nullptr, d);
           title = gtk_window_get_title(GTK_WINDOW(d));
           for (int id = IDOK; id <= IDNO; id++)
             buttons += gtk_dialog_get_widget_for_response(GTK_DIALOG(d), id) ? 1 : 0;
           char t[256], cap[256];
           EXPECT_TRUE(SWELL_GetMessageBoxInfo(t, sizeof(t), cap, sizeof(cap), &type));
           text = t;
           caption = cap;
           EXPECT_FALSE(SWELL_EndMessageBox(c.absent));
           if (c.press)
             EXPECT_TRUE(SWELL_EndMessageBox(c.press));
           else
             gtk_window_close(GTK_WINDOW(d));
         });
    EXPECT_EQ(c.result, MessageBox(nullptr, "Maker\nBuilt on a day", "caption", c.type));
    EXPECT_EQ(c.buttons, buttons);
    EXPECT_EQ("Maker\nBuilt on a day", text);
    EXPECT_EQ("caption", caption);
    EXPECT_EQ("caption", title);
    EXPECT_EQ(c.type, type);
    char t[8], cap[8];
    EXPECT_FALSE(SWELL_GetMessageBoxInfo(t, sizeof(t), cap, sizeof(cap), &type));
  }
}
