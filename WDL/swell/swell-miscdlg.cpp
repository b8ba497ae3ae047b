// Message boxes over GtkMessageDialog.
#include "swell-miscdlg.h"

#include <cstring>
#include <string>
#include <vector>

#include "swell-wnd-internal.h"

namespace
{
struct OpenBox
{
  GtkWidget* dialog;
  std::string text, caption;
  int type;
  std::vector<int> results;
};
std::vector<OpenBox*> gBoxes;

const char* ButtonLabel(int result)
{
  switch (result)
  {
    case IDOK:
      return "_OK";
    case IDCANCEL:
      return "_Cancel";
    case IDABORT:
      return "_Abort";
    case IDRETRY:
      return "_Retry";
    case IDIGNORE:
      return "_Ignore";
    case IDYES:
      return "_Yes";
    case IDNO:
      return "_No";
    default:
      return "?";
  }
}

void CopyText(char* dst, int size, const std::string& s)
{
  if (!dst || size < 1) return;
  const size_t n = std::min(s.size(), (size_t)size - 1);
  memcpy(dst, s.data(), n);
  dst[n] = 0;
}

// Shows the box; closing it without a button gives closedResult, or the
// Win32 choice for the buttons when closedResult is null.
int RunMessageBox(HWND hwnd, const char* text, const char* caption, int type,
                  const int* closedResult)
{
  if (!SWELL_EnsureGtk()) return 0;
  OpenBox box;
  box.text = text ? text : "";
  box.caption = caption ? caption : "";
  box.type = type;
  int closeResult = IDOK;
  switch (type & MB_TYPEMASK)
  {
    case MB_OKCANCEL:
      box.results = {IDOK, IDCANCEL};
      closeResult = IDCANCEL;
      break;
    case MB_ABORTRETRYIGNORE:
      box.results = {IDABORT, IDRETRY, IDIGNORE};
      closeResult = IDABORT;
      break;
    case MB_YESNOCANCEL:
      box.results = {IDYES, IDNO, IDCANCEL};
      closeResult = IDCANCEL;
      break;
    case MB_YESNO:
      box.results = {IDYES, IDNO};
      closeResult = IDNO;
      break;
    case MB_RETRYCANCEL:
      box.results = {IDRETRY, IDCANCEL};
      closeResult = IDCANCEL;
      break;
    default:
      box.results = {IDOK};
      break;
  }
  GtkMessageType mt = GTK_MESSAGE_OTHER;
  switch (type & MB_ICONMASK)
  {
    case MB_ICONERROR:
      mt = GTK_MESSAGE_ERROR;
      break;
    case MB_ICONQUESTION:
      mt = GTK_MESSAGE_QUESTION;
      break;
    case MB_ICONWARNING:
      mt = GTK_MESSAGE_WARNING;
      break;
    case MB_ICONINFORMATION:
      mt = GTK_MESSAGE_INFO;
      break;
    default:
      break;
  }
  HWND top = hwnd;
  while (SWELL_IsWindow(top) && top->kind != SWELL_WndKind::TopLevel) top = top->parent;
  GtkWindow* parent = SWELL_IsWindow(top) && top->widget ? GTK_WINDOW(top->widget) : nullptr;
  box.dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, mt, GTK_BUTTONS_NONE, "%s",
                                      box.text.c_str());
  gtk_window_set_title(GTK_WINDOW(box.dialog), box.caption.c_str());
  for (int r : box.results) gtk_dialog_add_button(GTK_DIALOG(box.dialog), ButtonLabel(r), r);
  gtk_dialog_set_default_response(GTK_DIALOG(box.dialog), box.results[0]);
  if (!parent) gtk_window_set_position(GTK_WINDOW(box.dialog), GTK_WIN_POS_CENTER);

  SWELL_ShowHeldTopLevels();
  gBoxes.push_back(&box);
  const int response = gtk_dialog_run(GTK_DIALOG(box.dialog));
  gBoxes.pop_back();
  gtk_widget_destroy(box.dialog);

  for (int r : box.results)
    if (r == response) return r;
  return closedResult ? *closedResult : closeResult;
}
} // namespace

int MessageBox(HWND hwnd, const char* text, const char* caption, int type)
{
  return RunMessageBox(hwnd, text, caption, type, nullptr);
}

int SWELL_MessageBoxOrClosed(HWND hwnd, const char* text, const char* caption, int type,
                             int closedResult)
{
  return RunMessageBox(hwnd, text, caption, type, &closedResult);
}

BOOL SWELL_GetMessageBoxInfo(char* text, int textSize, char* caption, int captionSize, int* type)
{
  if (gBoxes.empty()) return FALSE;
  const OpenBox* box = gBoxes.back();
  CopyText(text, textSize, box->text);
  CopyText(caption, captionSize, box->caption);
  if (type) *type = box->type;
  return TRUE;
}

BOOL SWELL_EndMessageBox(int result)
{
  if (gBoxes.empty()) return FALSE;
  const OpenBox* box = gBoxes.back();
  for (int r : box->results)
    if (r == result)
    {
      gtk_dialog_response(GTK_DIALOG(box->dialog), result);
      return TRUE;
    }
  return FALSE;
}

void SWELL_EndAllMessageBoxes()
{
  for (OpenBox* box : gBoxes)
    gtk_dialog_response(GTK_DIALOG(box->dialog), GTK_RESPONSE_DELETE_EVENT);
}
