// The editor's GTK view: refresh timer, painting, mouse, wheel and keys, the
// text field with its typing filter, popup menus and tool tips.
#include "IGraphicsGtkView.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "IControl.h"
#include "IGraphicsGtk.h"
#include "IParam.h"
#include "IPopupMenu.h"

GdkRectangle ToGdkRect(IGraphics* g, const IRECT* r)
{
  (void)g; // GTK's y runs downward like the editor's
  GdkRectangle a;
  a.x = r->L;
  a.y = r->T;
  a.width = r->W() + 1;
  a.height = r->H() + 1;
  return a;
}

IRECT ToIRECT(IGraphics* g, const GdkRectangle* r)
{
  (void)g;
  return IRECT(r->x, r->y, r->x + r->width, r->y + r->height);
}

int AdjustFontSize(int size) { return (int)((double)size * 0.9); }

IMouseMod GetMouseMod(guint state)
{
  return IMouseMod(true, (state & (GDK_SUPER_MASK | GDK_MOD4_MASK)) != 0,
                   (state & GDK_SHIFT_MASK) != 0, (state & GDK_CONTROL_MASK) != 0,
                   (state & GDK_MOD1_MASK) != 0);
}

IMouseMod GetRightMouseMod(guint state)
{
  return IMouseMod(false, true, (state & GDK_SHIFT_MASK) != 0, (state & GDK_CONTROL_MASK) != 0,
                   (state & GDK_MOD1_MASK) != 0);
}

int GetMouseOver(IGraphicsGtk* g) { return g ? g->GetMouseOver() : -1; }

// ---- Typing filter ----

void IGraphicsGtkFormatter::SetAcceptableCharacterSet(const char* chars)
{
  mHasSet = chars != nullptr;
  mAcceptable = chars ? chars : "";
}

namespace
{
// The integer at the start of the text, as a number field reads it: leading
// blanks, a sign, digits; 0 without digits; limited to the int range.
long long LeadingInt(const char* s)
{
  errno = 0;
  long long v = strtoll(s, nullptr, 10);
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return v;
}
} // namespace

bool IGraphicsGtkFormatter::IsPartialStringValid(const char* text) const
{
  if (!text) return true;
  if (mHasSet)
  {
    for (const char* p = text; *p; p = g_utf8_next_char(p))
    {
      const gunichar c = g_utf8_get_char(p);
      if (c > 0x7f || !strchr(mAcceptable.c_str(), (int)c)) return false;
    }
  }
  if (mMaxLength && g_utf8_strlen(text, -1) > mMaxLength) return false;
  if (mMaxValue && LeadingInt(text) > mMaxValue) return false;
  return true;
}

// ---- Popup menus ----

namespace
{
const char* const kMenuModelKey = "iplug-popup-menu";

void OnItemActivated(GtkMenuItem* item, gpointer receiver)
{
  static_cast<IGraphicsGtkMenuRcvr*>(receiver)->OnMenuSelection(GTK_WIDGET(item));
}
} // namespace

GtkWidget* IGraphicsGtkMenu::Build(IPopupMenu* menu, IGraphicsGtkMenuRcvr* receiver)
{
  GtkWidget* gm = gtk_menu_new();
  g_object_set_data(G_OBJECT(gm), kMenuModelKey, menu);
  static const char* const kPrefixFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  const int prefix = menu->GetPrefix();
  const char* format = prefix >= 1 && prefix <= 3 ? kPrefixFormats[prefix] : nullptr;
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    IPopupMenuItem* item = menu->GetItem(i);
    std::string title;
    if (format)
    {
      char number[32];
      snprintf(number, sizeof(number), format, i + 1);
      title = number;
    }
    title += item->GetText();

    GtkWidget* gi;
    if (IPopupMenu* sub = item->GetSubmenu())
    {
      gi = gtk_menu_item_new_with_label(title.c_str());
      gtk_menu_item_set_submenu(GTK_MENU_ITEM(gi), Build(sub, receiver));
    }
    else if (item->GetIsSeparator())
    {
      gi = gtk_separator_menu_item_new();
    }
    else
    {
      if (item->GetChecked())
      {
        gi = gtk_check_menu_item_new_with_label(title.c_str());
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(gi), TRUE);
      }
      else
      {
        gi = gtk_menu_item_new_with_label(title.c_str());
      }
      if (item->GetIsTitle())
      {
        // A heading: indented one level, not a choice.
        gtk_widget_set_margin_start(gtk_bin_get_child(GTK_BIN(gi)), 12);
        gtk_widget_set_sensitive(gi, FALSE);
      }
      else
      {
        gtk_widget_set_sensitive(gi, item->GetEnabled());
        g_signal_connect(gi, "activate", G_CALLBACK(OnItemActivated), receiver);
      }
    }
    gtk_widget_show(gi);
    gtk_menu_shell_append(GTK_MENU_SHELL(gm), gi);
  }
  return gm;
}

IPopupMenu* IGraphicsGtkMenu::AssociatedIPopupMenu(GtkWidget* gtkMenu)
{
  return gtkMenu ? static_cast<IPopupMenu*>(g_object_get_data(G_OBJECT(gtkMenu), kMenuModelKey))
                 : nullptr;
}

// ---- The view ----

namespace
{
// Holds the view's widgets while the editor is called back from a place that
// is not a signal of the drawing area (which GTK keeps alive itself): the
// editor may close the view meanwhile, and the view is freed only when its
// drawing area goes.
class KeepAlive
{
public:
  KeepAlive(GtkWidget* widget, GtkWidget* area) : mWidget(widget), mArea(area)
  {
    g_object_ref(mWidget);
    g_object_ref(mArea);
  }
  ~KeepAlive()
  {
    g_object_unref(mWidget);
    g_object_unref(mArea); // may free the view: the last thing done
  }
  KeepAlive(const KeepAlive&) = delete;
  KeepAlive& operator=(const KeepAlive&) = delete;

private:
  GtkWidget* mWidget;
  GtkWidget* mArea;
};

// The refresh timer: a main-loop source that fires at absolute deadlines
// one period apart, so that the rate does not drift.
struct RefreshSource
{
  GSource source;
  IGraphicsGtkView* view;
  gint64 period; // microseconds
  gint64 next;
};
} // namespace

gboolean IGraphicsGtkView::OnTimerDispatch(GSource* source, GSourceFunc, gpointer)
{
  RefreshSource* s = (RefreshSource*)source;
  const gint64 now = g_source_get_time(source);
  s->next += s->period;
  // After a stall, the next deadline still falls on the grid, in the future.
  if (s->next <= now) s->next += ((now - s->next) / s->period + 1) * s->period;
  g_source_set_ready_time(source, s->next);
  s->view->OnTimer(source);
  return G_SOURCE_CONTINUE;
}

IGraphicsGtkView::IGraphicsGtkView(IGraphicsGtk* g) : mGraphics(g)
{
  const int w = g->Width(), h = g->Height();
  mWidget = gtk_overlay_new();
  g_object_ref_sink(mWidget);
  gtk_widget_set_size_request(mWidget, w, h);
  mArea = gtk_drawing_area_new();
  gtk_widget_set_size_request(mArea, w, h);
  gtk_widget_set_can_focus(mArea, TRUE);
  gtk_widget_add_events(mArea, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                   GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK |
                                   GDK_SMOOTH_SCROLL_MASK | GDK_KEY_PRESS_MASK);
  gtk_container_add(GTK_CONTAINER(mWidget), mArea);
  g_object_weak_ref(G_OBJECT(mArea), OnAreaFinalized, this);

  g_signal_connect(mArea, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(mArea, "button-press-event", G_CALLBACK(OnButtonPress), this);
  g_signal_connect(mArea, "button-release-event", G_CALLBACK(OnButtonRelease), this);
  g_signal_connect(mArea, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(mArea, "scroll-event", G_CALLBACK(OnScroll), this);
  g_signal_connect(mArea, "key-press-event", G_CALLBACK(OnKeyPress), this);
  g_signal_connect(mArea, "query-tooltip", G_CALLBACK(OnQueryTooltip), this);
  g_signal_connect(mArea, "realize", G_CALLBACK(OnRealize), this);
  g_signal_connect(mArea, "map", G_CALLBACK(OnMap), this);
  g_signal_connect(mWidget, "destroy", G_CALLBACK(OnWidgetDestroyed), this);
  gtk_widget_show(mArea);

  static GSourceFuncs funcs = {nullptr, nullptr, OnTimerDispatch, nullptr, nullptr, nullptr};
  RefreshSource* s = (RefreshSource*)g_source_new(&funcs, sizeof(RefreshSource));
  s->view = this;
  s->period = (gint64)(1000000.0 / (double)std::max(g->FPS(), 1));
  s->next = g_get_monotonic_time() + s->period;
  g_source_set_ready_time(&s->source, s->next);
  g_source_set_name(&s->source, "editor refresh");
  g_source_attach(&s->source, nullptr);
  mTimer = &s->source;
}

IGraphicsGtkView::~IGraphicsGtkView()
{
  KillTimer();
  delete mFormatter;
  if (mEntryStyle) g_object_unref(mEntryStyle);
  if (mScreen) cairo_surface_destroy(mScreen);
}

void IGraphicsGtkView::KillTimer()
{
  if (!mTimer) return;
  g_source_destroy(mTimer);
  g_source_unref(mTimer);
  mTimer = nullptr;
}

guint IGraphicsGtkView::TimerSourceId() const { return mTimer ? g_source_get_id(mTimer) : 0; }

void IGraphicsGtkView::OnTimer(GSource* timer)
{
  if (timer != mTimer || !mGraphics) return;
  // Each dirty control's area on its own, not their bounding box: controls
  // far apart (level meters at both sides) would repaint all that lies
  // between them. Each control is asked once, as IsDirty does.
  for (int i = 0; i < mGraphics->NControls(); ++i)
  {
    IControl* c = mGraphics->GetControl(i);
    if (!c->IsDirty()) continue;
    const GdkRectangle a = ToGdkRect(mGraphics, c->GetRECT());
    gtk_widget_queue_draw_area(mArea, a.x, a.y, a.width, a.height);
  }
}

gboolean IGraphicsGtkView::OnDraw(GtkWidget*, cairo_t* cr, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  GdkRectangle clip;
  if (!v->mGraphics || !gdk_cairo_get_clip_rectangle(cr, &clip)) return TRUE;
  IRECT r = ToIRECT(v->mGraphics, &clip);
  v->mCairo = cr;
  v->mGraphics->Draw(&r);
  v->mCairo = nullptr;
  return TRUE;
}

cairo_surface_t* IGraphicsGtkView::ScreenSurface(int w, int h)
{
  if (mScreen &&
      (cairo_image_surface_get_width(mScreen) != w || cairo_image_surface_get_height(mScreen) != h))
  {
    cairo_surface_destroy(mScreen);
    mScreen = nullptr;
  }
  if (!mScreen && w > 0 && h > 0 && mCairo)
  {
    // An image the paint's target takes without another copy (on X11 one
    // in shared memory), else a plain one.
    mScreen =
        cairo_surface_create_similar_image(cairo_get_target(mCairo), CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(mScreen) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(mScreen) != CAIRO_SURFACE_TYPE_IMAGE)
    {
      cairo_surface_destroy(mScreen);
      mScreen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    }
    if (cairo_surface_status(mScreen) != CAIRO_STATUS_SUCCESS)
    {
      cairo_surface_destroy(mScreen);
      mScreen = nullptr;
    }
  }
  return mScreen;
}

void IGraphicsGtkView::GetMouseXY(double ex, double ey, int* x, int* y)
{
  if (!mGraphics) return;
  *x = (int)ex;
  *y = (int)ey;
  mPrevX = *x;
  mPrevY = *y;
}

gboolean IGraphicsGtkView::OnButtonPress(GtkWidget*, GdkEventButton* ev, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  // GTK's extra double- and triple-click events: the presses themselves count.
  if (ev->type != GDK_BUTTON_PRESS) return TRUE;
  if (ev->button != 1 && ev->button != 3) return FALSE;

  int dblTime = 400, dblDistance = 5;
  g_object_get(gtk_widget_get_settings(v->mArea), "gtk-double-click-time", &dblTime,
               "gtk-double-click-distance", &dblDistance, nullptr);
  const bool again = v->mClickCount > 0 && ev->button == v->mLastPressButton &&
                     ev->time - v->mLastPressTime <= (guint32)dblTime &&
                     std::fabs(ev->x - v->mLastPressX) <= dblDistance &&
                     std::fabs(ev->y - v->mLastPressY) <= dblDistance;
  v->mClickCount = again ? v->mClickCount + 1 : 1;
  v->mLastPressTime = ev->time;
  v->mLastPressButton = ev->button;
  v->mLastPressX = ev->x;
  v->mLastPressY = ev->y;

  // A click takes the keyboard focus, which ends an open text entry first.
  if (!gtk_widget_has_focus(v->mArea)) gtk_widget_grab_focus(v->mArea);
  if (!v->mGraphics) return TRUE;
  int x = 0, y = 0;
  v->GetMouseXY(ev->x, ev->y, &x, &y);
  if (ev->button == 1)
  {
    IMouseMod mod = GetMouseMod(ev->state);
    if (v->mClickCount > 1)
      v->mGraphics->OnMouseDblClick(x, y, &mod);
    else
      v->mGraphics->OnMouseDown(x, y, &mod);
  }
  else
  {
    IMouseMod mod = GetRightMouseMod(ev->state);
    v->mGraphics->OnMouseDown(x, y, &mod);
  }
  return TRUE;
}

gboolean IGraphicsGtkView::OnButtonRelease(GtkWidget*, GdkEventButton* ev, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (ev->button != 1 && ev->button != 3) return FALSE;
  if (!v->mGraphics) return TRUE;
  int x = 0, y = 0;
  v->GetMouseXY(ev->x, ev->y, &x, &y);
  IMouseMod mod = ev->button == 1 ? GetMouseMod(ev->state) : GetRightMouseMod(ev->state);
  v->mGraphics->OnMouseUp(x, y, &mod);
  return TRUE;
}

gboolean IGraphicsGtkView::OnMotion(GtkWidget*, GdkEventMotion* ev, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (!v->mGraphics) return TRUE;
  int x = 0, y = 0;
  v->GetMouseXY(ev->x, ev->y, &x, &y);
  if (ev->state & (GDK_BUTTON1_MASK | GDK_BUTTON3_MASK))
  {
    if (v->mTextEntry) return TRUE;
    IMouseMod mod =
        (ev->state & GDK_BUTTON1_MASK) ? GetMouseMod(ev->state) : GetRightMouseMod(ev->state);
    v->mGraphics->OnMouseDrag(x, y, &mod);
  }
  else
  {
    IMouseMod mod = GetMouseMod(ev->state);
    v->mGraphics->OnMouseOver(x, y, &mod);
  }
  return TRUE;
}

gboolean IGraphicsGtkView::OnScroll(GtkWidget* w, GdkEventScroll* ev, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (!v->mGraphics) return TRUE;
  // Over the text field the point is the field's: make it the drawing area's.
  double ex = ev->x, ey = ev->y;
  if (w != v->mArea)
  {
    int ax = 0, ay = 0;
    if (gtk_widget_translate_coordinates(w, v->mArea, 0, 0, &ax, &ay))
    {
      ex += ax;
      ey += ay;
    }
  }
  int x = 0, y = 0;
  v->GetMouseXY(ex, ey, &x, &y);
  int d = 0;
  switch (ev->direction)
  {
    case GDK_SCROLL_UP:
      d = 1;
      break;
    case GDK_SCROLL_DOWN:
      d = -1;
      break;
    case GDK_SCROLL_SMOOTH:
      d = v->SmoothScrollSteps(x, y, -ev->delta_y); // GTK's delta is positive downward
      break;
    default:
      break;
  }
  IMouseMod mod = GetMouseMod(ev->state);
  if (v->mTextEntry) v->EndUserInput();
  // A touchpad's fraction of a step turns nothing yet.
  if (d || ev->direction != GDK_SCROLL_SMOOTH) v->mGraphics->OnMouseWheel(x, y, &mod, d);
  return TRUE;
}

int IGraphicsGtkView::SmoothScrollSteps(int x, int y, double delta)
{
  // Touchpads scroll in fractions of a wheel step: they add up over the
  // control under the pointer, and every whole step reaches it, the rest is
  // kept for the next event. Over another control the count starts again.
  const int c = mGraphics->GetMouseControlIdx(x, y);
  if (c != mScrollControl) mScrollSum = 0.0;
  mScrollControl = c;
  mScrollSum += delta;
  // Steps of 0.1 add up to a whole step although 0.1 is not exact.
  const int d = (int)(mScrollSum + (mScrollSum < 0.0 ? -1e-9 : 1e-9));
  mScrollSum -= d;
  return d;
}

namespace
{
// The editor's key code for a GDK key value, or -1 when it has none.
int EditorKeyCode(guint keyval)
{
  switch (keyval)
  {
    case GDK_KEY_space:
      return 0;
    case GDK_KEY_Up:
      return 1;
    case GDK_KEY_Down:
      return 2;
    case GDK_KEY_Left:
      return 3;
    case GDK_KEY_Right:
      return 4;
    default:
      break;
  }
  const gunichar c = gdk_keyval_to_unicode(keyval);
  if (c >= '0' && c <= '9') return (int)c - 43;
  if (c >= 'A' && c <= 'Z') return (int)c - 50;
  if (c >= 'a' && c <= 'z') return (int)c - 82;
  return -1;
}
} // namespace

gboolean IGraphicsGtkView::OnKeyPress(GtkWidget*, GdkEventKey* ev, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  const int code = EditorKeyCode(ev->keyval);
  // Unmapped or untaken keys go on to the parent (the host window).
  if (code < 0 || !v->mGraphics) return FALSE;
  return v->mGraphics->OnKeyDown(v->mPrevX, v->mPrevY, code) ? TRUE : FALSE;
}

void IGraphicsGtkView::OnRealize(GtkWidget* w, gpointer)
{
  // Every drag step is reported, not one per frame.
  if (GdkWindow* gw = gtk_widget_get_window(w)) gdk_window_set_event_compression(gw, FALSE);
}

void IGraphicsGtkView::OnMap(GtkWidget* w, gpointer p)
{
  // The editor is drawn into its back buffer now, before its window reaches
  // the screen (a window maps its contents first): its first paint then only
  // puts the pixels on the screen. Without a paint under way nothing reaches
  // the screen here.
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (v->mGraphics && !v->mCairo)
  {
    IRECT all(0, 0, v->mGraphics->Width(), v->mGraphics->Height());
    v->mGraphics->Draw(&all);
  }
  gtk_widget_grab_focus(w);
}

// ---- Text entry ----

void IGraphicsGtkView::CreateTextEntry(IControl* control, IParam* param, IText* text,
                                       const char* str, GdkRectangle rect)
{
  if (!control || mTextEntry) return;
  GtkWidget* e = gtk_entry_new();

  PangoAttrList* attrs = pango_attr_list_new();
  const char* family = text && text->mFont[0] ? text->mFont : DEFAULT_FONT;
  pango_attr_list_insert(attrs, pango_attr_family_new(family));
  const int size = AdjustFontSize(text ? text->mSize : DEFAULT_TEXT_SIZE);
  if (size > 0) pango_attr_list_insert(attrs, pango_attr_size_new_absolute(size * PANGO_SCALE));
  gtk_entry_set_attributes(GTK_ENTRY(e), attrs);
  pango_attr_list_unref(attrs);

  float xalign = 0.0f;
  if (text && text->mAlign == IText::kAlignCenter) xalign = 0.5f;
  if (text && text->mAlign == IText::kAlignFar) xalign = 1.0f;
  gtk_entry_set_alignment(GTK_ENTRY(e), xalign);

  delete mFormatter;
  mFormatter = nullptr;
  if (param)
  {
    mFormatter = new IGraphicsGtkFormatter;
    const int t = param->Type();
    if (t == IParam::kTypeDouble)
      mFormatter->SetAcceptableCharacterSet("0123456789.-+");
    else if (t >= IParam::kTypeBool && t <= IParam::kTypeEnum)
      mFormatter->SetAcceptableCharacterSet("0123456789-+");
    mFormatter->SetMaximumLength(control->GetTextEntryLength());
  }

  // Colours of the text style, no frame, no padding: the field is the area.
  const IColor fg = text ? text->mTextEntryFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR;
  const IColor bg = text ? text->mTextEntryBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR;
  char css[512];
  snprintf(css, sizeof(css),
           "entry { min-height: 0; min-width: 0; padding: 0 1px; margin: 0; border: none; "
           "border-radius: 0; box-shadow: none; outline: none; background-image: none; "
           "color: rgba(%d,%d,%d,%.3f); caret-color: rgba(%d,%d,%d,%.3f); "
           "background-color: rgba(%d,%d,%d,%.3f); }",
           fg.R, fg.G, fg.B, fg.A / 255.0, fg.R, fg.G, fg.B, fg.A / 255.0, bg.R, bg.G, bg.B,
           bg.A / 255.0);
  if (!mEntryStyle) mEntryStyle = gtk_css_provider_new();
  gtk_css_provider_load_from_data(mEntryStyle, css, -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(e), GTK_STYLE_PROVIDER(mEntryStyle),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  gtk_entry_set_has_frame(GTK_ENTRY(e), FALSE);
  gtk_entry_set_width_chars(GTK_ENTRY(e), 1);
  gtk_entry_set_text(GTK_ENTRY(e), str ? str : "");

  gtk_widget_set_halign(e, GTK_ALIGN_START);
  gtk_widget_set_valign(e, GTK_ALIGN_START);
  gtk_widget_set_margin_start(e, rect.x);
  gtk_widget_set_margin_top(e, rect.y);
  gtk_widget_set_size_request(e, rect.width, rect.height);

  // After the entry's own handling: applying destroys the entry.
  g_signal_connect_after(e, "activate", G_CALLBACK(OnEntryActivate), this);
  g_signal_connect(e, "focus-out-event", G_CALLBACK(OnEntryFocusOut), this);
  g_signal_connect(e, "key-press-event", G_CALLBACK(OnEntryKeyPress), this);
  g_signal_connect(e, "insert-text", G_CALLBACK(OnEntryInsert), this);
  g_signal_connect(e, "delete-text", G_CALLBACK(OnEntryDelete), this);
  gtk_widget_add_events(e, GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
  g_signal_connect(e, "scroll-event", G_CALLBACK(OnScroll), this);

  mTextEntry = e;
  mEdParam = param;
  mEdControl = control;
  gtk_overlay_add_overlay(GTK_OVERLAY(mWidget), e);
  gtk_widget_show(e);
  GtkWidget* top = gtk_widget_get_toplevel(mWidget);
  if (GTK_IS_WINDOW(top)) gtk_window_present(GTK_WINDOW(top));
  gtk_widget_grab_focus(e);
}

namespace
{
// The text the entry would hold after inserting or deleting.
std::string EditedText(GtkEditable* e, int start, int end, const char* insert, int insertLen)
{
  const char* cur = gtk_entry_get_text(GTK_ENTRY(e));
  const long n = g_utf8_strlen(cur, -1);
  if (start < 0 || start > n) start = (int)n;
  if (end < 0 || end > n) end = (int)n;
  if (end < start) end = start;
  const char* a = g_utf8_offset_to_pointer(cur, start);
  const char* b = g_utf8_offset_to_pointer(cur, end);
  std::string s(cur, (size_t)(a - cur));
  if (insert) s.append(insert, insertLen < 0 ? strlen(insert) : (size_t)insertLen);
  s.append(b);
  return s;
}
} // namespace

void IGraphicsGtkView::OnEntryInsert(GtkEditable* e, gchar* text, gint len, gint* pos, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (!v->mFormatter) return;
  if (!v->mFormatter->IsPartialStringValid(EditedText(e, *pos, *pos, text, len).c_str()))
    g_signal_stop_emission_by_name(e, "insert-text");
}

void IGraphicsGtkView::OnEntryDelete(GtkEditable* e, gint start, gint end, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (!v->mFormatter) return;
  if (!v->mFormatter->IsPartialStringValid(EditedText(e, start, end, nullptr, 0).c_str()))
    g_signal_stop_emission_by_name(e, "delete-text");
}

void IGraphicsGtkView::OnEntryActivate(GtkEntry*, gpointer p)
{
  ((IGraphicsGtkView*)p)->ApplyTextEntry();
}

gboolean IGraphicsGtkView::OnEntryFocusOut(GtkWidget* w, GdkEventFocus*, gpointer p)
{
  // The window losing the focus (another window was activated) leaves the
  // entry open; only the focus moving elsewhere in the window ends it.
  GtkWidget* top = gtk_widget_get_toplevel(w);
  if (GTK_IS_WINDOW(top) && !gtk_window_has_toplevel_focus(GTK_WINDOW(top)) &&
      gtk_window_get_focus(GTK_WINDOW(top)) == w)
    return FALSE;
  ((IGraphicsGtkView*)p)->ApplyTextEntry();
  return FALSE;
}

gboolean IGraphicsGtkView::OnEntryKeyPress(GtkWidget*, GdkEventKey* ev, gpointer p)
{
  if (ev->keyval != GDK_KEY_Escape) return FALSE;
  ((IGraphicsGtkView*)p)->EndUserInput();
  return TRUE;
}

void IGraphicsGtkView::ApplyTextEntry()
{
  if (!mTextEntry || mApplying) return;
  mApplying = true;
  KeepAlive keep(mWidget, mArea);
  std::string text = gtk_entry_get_text(GTK_ENTRY(mTextEntry));
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back(0);
  if (mGraphics)
  {
    if (mEdParam)
      mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, buf.data());
    else if (mEdControl)
      mEdControl->TextFromTextEntry(buf.data());
  }
  EndUserInput();
  gtk_widget_queue_draw(mArea);
  mApplying = false;
}

void IGraphicsGtkView::EndUserInput()
{
  if (GtkWidget* e = mTextEntry)
  {
    mTextEntry = nullptr;
    mEdControl = nullptr;
    mEdParam = nullptr;
    g_signal_handlers_disconnect_matched(e, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    gtk_widget_destroy(e);
    delete mFormatter;
    mFormatter = nullptr;
  }
  if (!gtk_widget_in_destruction(mWidget) && gtk_widget_get_realized(mArea))
    gtk_widget_grab_focus(mArea);
}

// ---- Popup menus ----

namespace
{
struct MenuRun
{
  GMainLoop* loop;
  bool done;
};

void OnMenuDeactivate(GtkMenuShell*, gpointer p)
{
  MenuRun* run = (MenuRun*)p;
  run->done = true;
  g_main_loop_quit(run->loop);
}

// The press that opened a menu, until its button is released.
struct OpeningPress
{
  guint button;
  guint32 time;
  bool held;
};

// The press that opens a menu never chooses. GTK chooses the item under the
// pointer when the button comes up later than a short grace time after the
// menu opened, and a menu that does not fit below its control is moved up
// over it, under the pointer: so the release of the opening press, however
// long it was held, is handed on as the quick release of a click, which
// leaves the menu open for a choice.
gboolean OnMenuButton(GtkWidget*, GdkEventButton* ev, gpointer p)
{
  OpeningPress* press = (OpeningPress*)p;
  if (press->held && ev->button == press->button)
  {
    press->held = false;
    if (ev->type == GDK_BUTTON_RELEASE) ev->time = press->time;
  }
  return FALSE;
}
} // namespace

IPopupMenu* IGraphicsGtkView::CreateIPopupMenu(IPopupMenu* menu, GdkRectangle rect)
{
  if (!menu || !gtk_widget_get_realized(mArea)) return nullptr;
  KeepAlive keep(mWidget, mArea);
  IGraphicsGtkMenuRcvr receiver;
  GtkWidget* gm = IGraphicsGtkMenu::Build(menu, &receiver);
  g_object_ref_sink(gm);
  gtk_menu_attach_to_widget(GTK_MENU(gm), mArea, nullptr);
  MenuRun run = {g_main_loop_new(nullptr, FALSE), false};
  g_signal_connect(gm, "deactivate", G_CALLBACK(OnMenuDeactivate), &run);

  // Below the area's lower left corner.
  GdkRectangle at = {rect.x, rect.y + rect.height + 4, 1, 1};
  GdkEvent* trigger = gtk_get_current_event();
  OpeningPress press = {0, 0, false};
  if (trigger && trigger->type == GDK_BUTTON_PRESS)
  {
    press = {trigger->button.button, trigger->button.time, true};
    g_signal_connect(gm, "button-press-event", G_CALLBACK(OnMenuButton), &press);
    g_signal_connect(gm, "button-release-event", G_CALLBACK(OnMenuButton), &press);
  }
  gtk_menu_popup_at_rect(GTK_MENU(gm), gtk_widget_get_window(mArea), &at, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, trigger);
  if (trigger) gdk_event_free(trigger);
  if (!run.done && gtk_widget_get_visible(gm)) g_main_loop_run(run.loop);
  g_main_loop_unref(run.loop);
  mClickCount = 0; // the next press starts a new click, not a double click

  IPopupMenu* chosen = nullptr;
  if (GtkWidget* item = receiver.MenuItem())
  {
    GtkWidget* parent = gtk_widget_get_parent(item);
    chosen = IGraphicsGtkMenu::AssociatedIPopupMenu(parent);
    GList* items = parent ? gtk_container_get_children(GTK_CONTAINER(parent)) : nullptr;
    const int index = g_list_index(items, item);
    g_list_free(items);
    if (index < 0 || !chosen)
      chosen = nullptr;
    else
      chosen->SetChosenItemIdx(index);
  }
  g_signal_handlers_disconnect_matched(gm, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &run);
  g_signal_handlers_disconnect_matched(gm, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, &press);
  gtk_widget_destroy(gm);
  g_object_unref(gm);
  return chosen;
}

// ---- Tool tips ----

void IGraphicsGtkView::RegisterToolTip(IRECT* r)
{
  mToolTips.push_back(ToGdkRect(mGraphics, r));
  gtk_widget_set_has_tooltip(mArea, TRUE);
}

void IGraphicsGtkView::RemoveAllToolTips()
{
  mToolTips.clear();
  gtk_widget_set_has_tooltip(mArea, FALSE);
}

gboolean IGraphicsGtkView::OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean, GtkTooltip* tip,
                                          gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  for (const GdkRectangle& a : v->mToolTips)
  {
    if (x < a.x || y < a.y || x >= a.x + a.width || y >= a.y + a.height) continue;
    // The text is that of the control the editor last reported under the mouse.
    const int i = GetMouseOver(v->mGraphics);
    IControl* c = i >= 0 ? v->mGraphics->GetControl(i) : nullptr;
    const char* text = c ? c->GetTooltip() : nullptr;
    if (!text || !*text) return FALSE;
    gtk_tooltip_set_text(tip, text);
    gtk_tooltip_set_tip_area(tip, &a);
    return TRUE;
  }
  return FALSE;
}

// ---- Size and lifetime ----

void IGraphicsGtkView::SetSize(int w, int h)
{
  gtk_widget_set_size_request(mWidget, w, h);
  gtk_widget_set_size_request(mArea, w, h);
}

void IGraphicsGtkView::DetachFromEditor()
{
  if (IGraphicsGtk* g = mGraphics)
  {
    mGraphics = nullptr;
    g->CloseWindow();
  }
}

void IGraphicsGtkView::RemoveFromParent()
{
  // The destroy handler ends the text entry and detaches.
  gtk_widget_destroy(mWidget);
}

void IGraphicsGtkView::OnWidgetDestroyed(GtkWidget*, gpointer p)
{
  IGraphicsGtkView* v = (IGraphicsGtkView*)p;
  if (v->mTextEntry) v->EndUserInput();
  v->DetachFromEditor();
  v->KillTimer();
  g_signal_handlers_disconnect_matched(v->mWidget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, v);
  g_object_unref(v->mWidget); // our reference; the drawing area goes with it
}

void IGraphicsGtkView::OnAreaFinalized(gpointer p, GObject*) { delete (IGraphicsGtkView*)p; }
