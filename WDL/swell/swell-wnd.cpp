// Window records, placement, messages, controls and child views.
#include "swell-wnd.h"

#include <strings.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <deque>
#include <mutex>

#include "swell-kb.h"
#include "swell-wnd-internal.h"

SWELL_HandlePool<HWND__>& SWELL_WindowPool()
{
  static SWELL_HandlePool<HWND__> pool;
  return pool;
}

// The client area of a top level window: a GtkFixed whose size is the
// window's client size, whatever its children would like.
struct SwellClient
{
  GtkFixed parent;
  HWND hwnd;
  int w, h;
  gboolean resizable;
};
struct SwellClientClass
{
  GtkFixedClass parent_class;
};
G_DEFINE_TYPE(SwellClient, swell_client, GTK_TYPE_FIXED)

static void swell_client_init(SwellClient* c)
{
  c->hwnd = nullptr;
  c->w = c->h = 1;
  c->resizable = FALSE;
}

static void swell_client_preferred_width(GtkWidget* w, gint* minimum, gint* natural)
{
  SwellClient* c = (SwellClient*)w;
  *minimum = c->resizable ? 1 : c->w;
  *natural = c->w;
}

static void swell_client_preferred_height(GtkWidget* w, gint* minimum, gint* natural)
{
  SwellClient* c = (SwellClient*)w;
  *minimum = c->resizable ? 1 : c->h;
  *natural = c->h;
}

static void swell_client_size_allocate(GtkWidget* w, GtkAllocation* a)
{
  GTK_WIDGET_CLASS(swell_client_parent_class)->size_allocate(w, a);
  SwellClient* c = (SwellClient*)w;
  // A window the user can resize: the client area follows.
  if (c->resizable && SWELL_IsWindow(c->hwnd) && c->hwnd->client == w)
  {
    c->w = c->hwnd->clientW = a->width;
    c->h = c->hwnd->clientH = a->height;
  }
}

static void swell_client_class_init(SwellClientClass* k)
{
  GtkWidgetClass* wc = GTK_WIDGET_CLASS(k);
  wc->get_preferred_width = swell_client_preferred_width;
  wc->get_preferred_height = swell_client_preferred_height;
  wc->size_allocate = swell_client_size_allocate;
}

namespace
{
std::vector<HWND> gTopLevels; // live top level windows, oldest first

void SetClientSize(HWND h, int w, int ht)
{
  SwellClient* c = (SwellClient*)h->client;
  h->clientW = c->w = std::max(w, 1);
  h->clientH = c->h = std::max(ht, 1);
  gtk_widget_queue_resize(h->client);
}

// Screen position of the client area's origin of the top level window that
// holds h.
void ClientOriginOnScreen(HWND h, int* x, int* y)
{
  *x = *y = 0;
  HWND top = h;
  while (SWELL_IsWindow(top) && top->kind != SWELL_WndKind::TopLevel) top = top->parent;
  if (!SWELL_IsWindow(top)) return;
  *x = top->rect.left;
  *y = top->rect.top + SWELL_MenuBarHeight(top);
}

gboolean OnConfigure(GtkWidget*, GdkEventConfigure* ev, gpointer data)
{
  HWND h = (HWND)data;
  if (!SWELL_IsWindow(h)) return FALSE;
  h->rect.left = ev->x;
  h->rect.top = ev->y;
  h->rect.right = ev->x + ev->width;
  h->rect.bottom = ev->y + ev->height;
  return FALSE;
}

void OnActiveChanged(GObject*, GParamSpec*, gpointer) { SWELL_ActivityChanged(); }

void OnChildViewDestroyed(GtkWidget*, gpointer data)
{
  HWND h = (HWND)data;
  if (!SWELL_IsWindow(h) || h->destroying) return;
  h->widget = nullptr; // already going
  DestroyWindow(h);
}

gboolean OnChildViewKey(GtkWidget*, GdkEventKey* ev, gpointer data)
{
  HWND view = (HWND)data;
  if (!SWELL_IsWindow(view)) return FALSE;
  HWND top = view->parent;
  if (!SWELL_IsWindow(top) || top->destroying) return FALSE;
  if (!top->dlgproc && !top->wndproc) return FALSE;
  const int vk = SWELL_KeyEventToVK(ev);
  const INT_PTR r =
      SWELL_CallProc(top, WM_KEYDOWN, (WPARAM)vk, (LPARAM)SWELL_ModifierFlags(ev->state));
  if (!SWELL_IsWindow(top)) return FALSE;
  return r == 69 ? FALSE : TRUE;
}

// Messages of combo boxes.
LRESULT ComboMessage(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  GtkComboBox* combo = GTK_COMBO_BOX(h->widget);
  switch (msg)
  {
    case CB_ADDSTRING:
    {
      const char* s = lp ? (const char*)lp : "";
      h->items.push_back(s);
      gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo), s);
      return (LRESULT)h->items.size() - 1;
    }
    case CB_RESETCONTENT:
      h->notifySuppress++;
      h->items.clear();
      gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(combo));
      h->notifySuppress--;
      return 0;
    case CB_GETCOUNT:
      return (LRESULT)h->items.size();
    case CB_GETCURSEL:
      return gtk_combo_box_get_active(combo);
    case CB_SETCURSEL:
    {
      const INT_PTR i = (INT_PTR)wp;
      if (i < 0 || i >= (INT_PTR)h->items.size()) return CB_ERR;
      h->notifySuppress++;
      gtk_combo_box_set_active(combo, (int)i);
      h->notifySuppress--;
      return (LRESULT)i;
    }
    case CB_GETLBTEXT:
    {
      const INT_PTR i = (INT_PTR)wp;
      char* buf = (char*)lp;
      if (!buf || i < 0 || i >= (INT_PTR)h->items.size()) return 0;
      const std::string& s = h->items[(size_t)i];
      const size_t n = std::min(s.size(), (size_t)1023);
      memcpy(buf, s.data(), n);
      buf[n] = 0;
      return 1;
    }
    case CB_FINDSTRINGEXACT:
    {
      const char* s = (const char*)lp;
      if (!s) return CB_ERR;
      for (size_t i = 0; i < h->items.size(); i++)
        if (!strcasecmp(h->items[i].c_str(), s)) return (LRESULT)i;
      return CB_ERR;
    }
    default:
      return 0;
  }
}

LRESULT ButtonMessage(HWND h, UINT msg, WPARAM wp, LPARAM)
{
  if (h->kind != SWELL_WndKind::CheckBox) return 0;
  GtkToggleButton* b = GTK_TOGGLE_BUTTON(h->widget);
  switch (msg)
  {
    case BM_GETCHECK:
      return gtk_toggle_button_get_active(b) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      h->notifySuppress++;
      gtk_toggle_button_set_active(b, wp == BST_CHECKED);
      h->notifySuppress--;
      return 0;
    default:
      return 0;
  }
}

// Posted messages, flushed by a timer on the main loop.
struct PostedMessage
{
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};
std::mutex gPostMutex;
std::deque<PostedMessage> gPosted;
bool gPostTimerRunning = false;

gboolean FlushPosted(gpointer)
{
  for (;;)
  {
    PostedMessage m;
    {
      std::lock_guard<std::mutex> lock(gPostMutex);
      if (gPosted.empty()) break;
      m = gPosted.front();
      gPosted.pop_front();
    }
    if (SWELL_IsWindow(m.hwnd)) SendMessage(m.hwnd, m.msg, m.wp, m.lp);
  }
  return G_SOURCE_CONTINUE;
}
} // namespace

void SWELL_StartPostTimer()
{
  std::lock_guard<std::mutex> lock(gPostMutex);
  if (gPostTimerRunning) return;
  gPostTimerRunning = true;
  g_timeout_add(50, FlushPosted, nullptr);
}

bool SWELL_EnsureGtk(int* argc, char*** argv)
{
  static int state = 0; // 0 not tried, 1 ready, -1 failed
  if (!state)
  {
    state = -1;
    for (int attempt = 0; attempt < 5 && state < 0; ++attempt)
    {
      if (attempt) g_usleep(125000);
      if (gtk_init_check(argc, argv)) state = 1;
    }
    setlocale(LC_NUMERIC, "C"); // GTK set it even when the display did not open
  }
  return state > 0;
}

HWND SWELL_NewWindow(SWELL_WndKind kind)
{
  HWND h = SWELL_WindowPool().Alloc();
  h->kind = kind;
  if (kind == SWELL_WndKind::TopLevel) gTopLevels.push_back(h);
  return h;
}

int SWELL_TopLevelCount() { return (int)gTopLevels.size(); }

INT_PTR SWELL_CallProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  if (!SWELL_IsWindow(h)) return 0;
  if (h->dlgproc) return h->dlgproc(h, msg, wp, lp);
  if (h->wndproc) return h->wndproc(h, msg, wp, lp);
  return 0;
}

void SWELL_NotifyParent(HWND control, int code)
{
  if (!SWELL_IsWindow(control) || control->notifySuppress) return;
  HWND dlg = control->parent;
  if (!SWELL_IsWindow(dlg) || dlg->destroying) return;
  SWELL_CallProc(dlg, WM_COMMAND, MAKEWPARAM(control->id, code), (LPARAM)control);
}

int SWELL_MenuBarHeight(HWND h)
{
  if (!SWELL_IsWindow(h) || !h->menubar || !gtk_widget_get_visible(h->menubar)) return 0;
  int minimum = 0, natural = 0;
  gtk_widget_get_preferred_height(h->menubar, &minimum, &natural);
  return natural;
}

HWND SWELL_CreateTopLevel(HWND owner, const char* title, int clientW, int clientH, bool resizable)
{
  if (!SWELL_EnsureGtk()) return nullptr;
  // The owner is the top level window of the window given.
  while (SWELL_IsWindow(owner) && owner->kind != SWELL_WndKind::TopLevel) owner = owner->parent;
  if (!SWELL_IsWindow(owner) || owner->destroying) owner = nullptr;
  HWND h = SWELL_NewWindow(SWELL_WndKind::TopLevel);
  h->parent = owner;
  h->clientW = std::max(clientW, 1);
  h->clientH = std::max(clientH, 1);
  h->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(h->widget);
  gtk_window_set_title(GTK_WINDOW(h->widget), title ? title : "");
  gtk_window_set_resizable(GTK_WINDOW(h->widget), resizable);
  if (owner && owner->widget)
    gtk_window_set_transient_for(GTK_WINDOW(h->widget), GTK_WINDOW(owner->widget));
  h->vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_container_add(GTK_CONTAINER(h->widget), h->vbox);
  h->client = GTK_WIDGET(g_object_new(swell_client_get_type(), nullptr));
  ((SwellClient*)h->client)->hwnd = h;
  ((SwellClient*)h->client)->resizable = resizable;
  SetClientSize(h, h->clientW, h->clientH);
  gtk_box_pack_end(GTK_BOX(h->vbox), h->client, TRUE, TRUE, 0);
  gtk_widget_show(h->vbox);
  gtk_widget_show(h->client);
  g_signal_connect(h->widget, "configure-event", G_CALLBACK(OnConfigure), h);
  g_signal_connect(h->widget, "notify::is-active", G_CALLBACK(OnActiveChanged), h);
  h->rect = {0, 0, h->clientW, h->clientH};
  gtk_window_set_default_size(GTK_WINDOW(h->widget), h->clientW, h->clientH);
  SWELL_InstallTopLevelHandlers(h);
  return h;
}

BOOL IsWindow(HWND hwnd) { return SWELL_IsWindow(hwnd) && !hwnd->destroying; }

BOOL GetWindowRect(HWND hwnd, RECT* r)
{
  if (!SWELL_IsWindow(hwnd) || !r) return FALSE;
  if (hwnd->kind == SWELL_WndKind::TopLevel)
  {
    *r = hwnd->rect;
    return TRUE;
  }
  int ox, oy;
  ClientOriginOnScreen(hwnd, &ox, &oy);
  int w = hwnd->rect.right - hwnd->rect.left, h = hwnd->rect.bottom - hwnd->rect.top;
  if (hwnd->widget && gtk_widget_get_realized(hwnd->widget))
  {
    w = gtk_widget_get_allocated_width(hwnd->widget);
    h = gtk_widget_get_allocated_height(hwnd->widget);
  }
  r->left = ox + hwnd->rect.left;
  r->top = oy + hwnd->rect.top;
  r->right = r->left + w;
  r->bottom = r->top + h;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* r)
{
  if (!SWELL_IsWindow(hwnd) || !r) return FALSE;
  r->left = r->top = 0;
  if (hwnd->kind == SWELL_WndKind::TopLevel)
  {
    r->right = hwnd->clientW;
    r->bottom = hwnd->clientH;
    return TRUE;
  }
  RECT wr;
  GetWindowRect(hwnd, &wr);
  r->right = wr.right - wr.left;
  r->bottom = wr.bottom - wr.top;
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags)
{
  if (!SWELL_IsWindow(hwnd) || hwnd->destroying) return FALSE;
  if (hwnd->kind == SWELL_WndKind::TopLevel)
  {
    GtkWindow* win = GTK_WINDOW(hwnd->widget);
    RECT& r = hwnd->rect;
    if (!(flags & SWP_NOSIZE))
    {
      cx = std::max(cx, 1);
      const int bar = SWELL_MenuBarHeight(hwnd);
      SetClientSize(hwnd, cx, cy - bar);
      gtk_window_resize(win, hwnd->clientW, hwnd->clientH + bar);
      r.right = r.left + hwnd->clientW;
      r.bottom = r.top + hwnd->clientH + bar;
    }
    if (!(flags & SWP_NOMOVE))
    {
      gtk_window_move(win, x, y);
      const int w = r.right - r.left, h = r.bottom - r.top;
      r = {x, y, x + w, y + h};
    }
    if (!(flags & SWP_NOZORDER) && gtk_widget_get_visible(hwnd->widget))
    {
      if (flags & SWP_NOACTIVATE)
      {
        GdkWindow* gw = gtk_widget_get_window(hwnd->widget);
        if (gw) gdk_window_raise(gw);
      }
      else
        gtk_window_present(win);
    }
    return TRUE;
  }
  // A control or child view: position in the client area.
  HWND top = hwnd->parent;
  if (!SWELL_IsWindow(top) || !top->client || !hwnd->widget) return FALSE;
  if (!(flags & SWP_NOMOVE))
  {
    const int w = hwnd->rect.right - hwnd->rect.left, h = hwnd->rect.bottom - hwnd->rect.top;
    hwnd->rect = {x, y, x + w, y + h};
    gtk_fixed_move(GTK_FIXED(top->client), hwnd->widget, x, y);
  }
  if (!(flags & SWP_NOSIZE))
  {
    hwnd->rect.right = hwnd->rect.left + std::max(cx, 0);
    hwnd->rect.bottom = hwnd->rect.top + std::max(cy, 0);
    gtk_widget_set_size_request(hwnd->widget, std::max(cx, 0), std::max(cy, 0));
  }
  return TRUE;
}

namespace
{
bool gHoldShows = false;
} // namespace

void SWELL_HoldTopLevelShows(bool hold)
{
  gHoldShows = hold;
  if (!hold) SWELL_ShowHeldTopLevels();
}

void SWELL_ShowHeldTopLevels()
{
  // A copy: showing a window may make or destroy others.
  const std::vector<HWND> topLevels = gTopLevels;
  const bool hold = gHoldShows;
  gHoldShows = false;
  for (HWND h : topLevels)
    if (IsWindow(h) && h->heldShow)
    {
      const int cmd = h->heldShow;
      h->heldShow = 0;
      ShowWindow(h, cmd);
    }
  gHoldShows = hold;
}

BOOL ShowWindow(HWND hwnd, int cmd)
{
  if (!IsWindow(hwnd) || !hwnd->widget) return FALSE;
  const BOOL wasVisible = gtk_widget_get_visible(hwnd->widget) || hwnd->heldShow;
  if (cmd == SW_HIDE)
  {
    hwnd->heldShow = 0;
    gtk_widget_hide(hwnd->widget);
  }
  else if (gHoldShows && hwnd->kind == SWELL_WndKind::TopLevel &&
           !gtk_widget_get_visible(hwnd->widget))
    hwnd->heldShow = cmd;
  else if (cmd == 2 && hwnd->kind == SWELL_WndKind::TopLevel)
    gtk_window_present(GTK_WINDOW(hwnd->widget));
  else
    gtk_widget_show(hwnd->widget);
  return wasVisible;
}

BOOL IsWindowVisible(HWND hwnd)
{
  if (!IsWindow(hwnd) || !hwnd->widget) return FALSE;
  if (hwnd->heldShow) return TRUE;
  return gtk_widget_is_visible(hwnd->widget);
}

void CenterWindow(HWND hwnd)
{
  if (!IsWindow(hwnd) || hwnd->kind != SWELL_WndKind::TopLevel) return;
  GdkDisplay* display = gtk_widget_get_display(hwnd->widget);
  GdkMonitor* mon = nullptr;
  GdkWindow* gw = gtk_widget_get_window(hwnd->widget);
  if (gw) mon = gdk_display_get_monitor_at_window(display, gw);
  if (!mon) mon = gdk_display_get_primary_monitor(display);
  if (!mon && gdk_display_get_n_monitors(display) > 0) mon = gdk_display_get_monitor(display, 0);
  if (!mon) return;
  GdkRectangle area;
  gdk_monitor_get_geometry(mon, &area);
  const int w = hwnd->rect.right - hwnd->rect.left, h = hwnd->rect.bottom - hwnd->rect.top;
  const int x = area.x + (area.width - w) / 2, y = area.y + (area.height - h) / 2;
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

BOOL DestroyWindow(HWND hwnd)
{
  if (!SWELL_IsWindow(hwnd)) return FALSE;
  if (hwnd->destroying) return TRUE;
  hwnd->destroying = true;
  SWELL_CallProc(hwnd, WM_DESTROY, 0, 0);

  // Controls and child views go with their window.
  std::vector<HWND> children;
  children.swap(hwnd->children);
  for (HWND c : children)
    if (SWELL_IsWindow(c))
    {
      c->parent = nullptr;
      DestroyWindow(c);
    }
  // So do the windows it owns (a modal one ends with IDCANCEL).
  if (hwnd->kind == SWELL_WndKind::TopLevel)
  {
    std::vector<HWND> owned;
    for (HWND t : gTopLevels)
      if (t->parent == hwnd) owned.push_back(t);
    for (HWND t : owned) DestroyWindow(t);
  }
  // It leaves its parent's list.
  if (HWND p = hwnd->parent)
  {
    if (SWELL_IsWindow(p))
    {
      auto& v = p->children;
      v.erase(std::remove(v.begin(), v.end(), hwnd), v.end());
    }
  }
  const bool topLevel = hwnd->kind == SWELL_WndKind::TopLevel;
  if (topLevel) SWELL_EndModalOnDestroy(hwnd);
  if (GtkWidget* w = hwnd->widget)
  {
    hwnd->widget = nullptr;
    g_signal_handlers_disconnect_matched(w, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, hwnd);
    gtk_widget_destroy(w);
    if (topLevel) g_object_unref(w);
  }
  SWELL_WindowPool().Free(hwnd);
  if (topLevel)
  {
    gTopLevels.erase(std::remove(gTopLevels.begin(), gTopLevels.end(), hwnd), gTopLevels.end());
    SWELL_TopLevelGone();
  }
  return TRUE;
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!SWELL_IsWindow(hwnd)) return 0;
  switch (hwnd->kind)
  {
    case SWELL_WndKind::Combo:
      return ComboMessage(hwnd, msg, wParam, lParam);
    case SWELL_WndKind::CheckBox:
    case SWELL_WndKind::Button:
      return ButtonMessage(hwnd, msg, wParam, lParam);
    case SWELL_WndKind::TopLevel:
      if (msg == WM_CLOSE) return SWELL_CloseRequest(hwnd);
      return SWELL_CallProc(hwnd, msg, wParam, lParam);
    default:
      return SWELL_CallProc(hwnd, msg, wParam, lParam);
  }
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (!hwnd) return FALSE;
  {
    std::lock_guard<std::mutex> lock(gPostMutex);
    gPosted.push_back({hwnd, msg, wParam, lParam});
  }
  SWELL_StartPostTimer();
  return TRUE;
}

HWND GetDlgItem(HWND dlg, int id)
{
  if (!SWELL_IsWindow(dlg)) return nullptr;
  for (HWND c : dlg->children)
    if (SWELL_IsWindow(c) && c->id == id && c->kind != SWELL_WndKind::TopLevel) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) { return SWELL_IsWindow(hwnd) ? hwnd->id : 0; }

HWND GetParent(HWND hwnd)
{
  if (!SWELL_IsWindow(hwnd)) return nullptr;
  return SWELL_IsWindow(hwnd->parent) ? hwnd->parent : nullptr;
}

BOOL SetWindowText(HWND hwnd, const char* text)
{
  if (!IsWindow(hwnd) || !hwnd->widget) return FALSE;
  if (!text) text = "";
  switch (hwnd->kind)
  {
    case SWELL_WndKind::TopLevel:
      gtk_window_set_title(GTK_WINDOW(hwnd->widget), text);
      break;
    case SWELL_WndKind::Label:
      gtk_label_set_text(GTK_LABEL(hwnd->widget), text);
      break;
    case SWELL_WndKind::Group:
      gtk_frame_set_label(GTK_FRAME(hwnd->widget), text);
      break;
    case SWELL_WndKind::CheckBox:
    case SWELL_WndKind::Button:
      gtk_button_set_label(GTK_BUTTON(hwnd->widget), text);
      break;
    case SWELL_WndKind::Combo:
      if (!gtk_combo_box_get_has_entry(GTK_COMBO_BOX(hwnd->widget))) return FALSE;
      hwnd->notifySuppress++;
      gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(hwnd->widget))), text);
      hwnd->notifySuppress--;
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

int GetWindowText(HWND hwnd, char* buf, int size)
{
  if (!buf || size < 1) return 0;
  buf[0] = 0;
  if (!IsWindow(hwnd) || !hwnd->widget) return 0;
  const char* s = nullptr;
  switch (hwnd->kind)
  {
    case SWELL_WndKind::TopLevel:
      s = gtk_window_get_title(GTK_WINDOW(hwnd->widget));
      break;
    case SWELL_WndKind::Label:
      s = gtk_label_get_text(GTK_LABEL(hwnd->widget));
      break;
    case SWELL_WndKind::Group:
      s = gtk_frame_get_label(GTK_FRAME(hwnd->widget));
      break;
    case SWELL_WndKind::CheckBox:
    case SWELL_WndKind::Button:
      s = gtk_button_get_label(GTK_BUTTON(hwnd->widget));
      break;
    case SWELL_WndKind::Combo:
    {
      if (gtk_combo_box_get_has_entry(GTK_COMBO_BOX(hwnd->widget)))
      {
        s = gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(hwnd->widget))));
        break;
      }
      const int i = gtk_combo_box_get_active(GTK_COMBO_BOX(hwnd->widget));
      if (i >= 0 && i < (int)hwnd->items.size()) s = hwnd->items[(size_t)i].c_str();
      break;
    }
    default:
      break;
  }
  if (!s) return 0;
  const int n = std::min((int)strlen(s), size - 1);
  memcpy(buf, s, (size_t)n);
  buf[n] = 0;
  return n;
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
  if (!IsWindow(hwnd) || !hwnd->widget) return FALSE;
  const BOOL was = gtk_widget_get_sensitive(hwnd->widget);
  gtk_widget_set_sensitive(hwnd->widget, enable ? TRUE : FALSE);
  return was ? FALSE : TRUE; // Win32: non-zero when it was disabled
}

HWND SWELL_AddChildView(HWND parent, GtkWidget* view, int x, int y)
{
  if (!IsWindow(parent) || parent->kind != SWELL_WndKind::TopLevel || !view) return nullptr;
  HWND h = SWELL_NewWindow(SWELL_WndKind::ChildView);
  h->parent = parent;
  h->widget = view;
  int w = 0, ht = 0;
  gtk_widget_get_size_request(view, &w, &ht);
  h->rect = {x, y, x + std::max(w, 0), y + std::max(ht, 0)};
  g_object_set_data(G_OBJECT(view), "swell-hwnd", h);
  gtk_fixed_put(GTK_FIXED(parent->client), view, x, y);
  g_signal_connect(view, "destroy", G_CALLBACK(OnChildViewDestroyed), h);
  g_signal_connect_after(view, "key-press-event", G_CALLBACK(OnChildViewKey), h);
  parent->children.push_back(h);
  return h;
}

GtkWidget* SWELL_GetWidget(HWND hwnd) { return IsWindow(hwnd) ? hwnd->widget : nullptr; }
