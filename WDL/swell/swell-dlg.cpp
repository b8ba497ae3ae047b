// Dialogs: resources, controls, modeless and modal dialogs, dialog keys.
#include "swell-dlg.h"

#include <algorithm>
#include <cstring>

#include "swell-dlggen.h"
#include "swell-kb.h"
#include "swell-wnd-internal.h"
#include "swell-wnd.h"
#include "swellappmain.h"

SWELL_DialogResourceIndex* SWELL_curmodule_dialogresource_head = nullptr;

// A static text control: its text is clipped to its rectangle, as in native
// dialogs, instead of the label growing to fit the text.
struct SwellLabel
{
  GtkLabel parent;
};
struct SwellLabelClass
{
  GtkLabelClass parent_class;
};
G_DEFINE_TYPE(SwellLabel, swell_label, GTK_TYPE_LABEL)

static void swell_label_init(SwellLabel*) {}

static void swell_label_preferred_width(GtkWidget* w, gint* minimum, gint* natural)
{
  GTK_WIDGET_CLASS(swell_label_parent_class)->get_preferred_width(w, minimum, natural);
  *minimum = 0; // the control's size request decides
}

static gboolean swell_label_draw(GtkWidget* w, cairo_t* cr)
{
  cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(w), gtk_widget_get_allocated_height(w));
  cairo_clip(cr);
  return GTK_WIDGET_CLASS(swell_label_parent_class)->draw(w, cr);
}

static void swell_label_class_init(SwellLabelClass* k)
{
  GtkWidgetClass* wc = GTK_WIDGET_CLASS(k);
  wc->get_preferred_width = swell_label_preferred_width;
  wc->draw = swell_label_draw;
}

namespace
{
// Layout context of the builder that runs.
struct BuildContext
{
  float xscale = 1.0f, yscale = 1.0f, xtrans = 0.0f, ytrans = 0.0f;
  HWND parent = nullptr;
  bool sizeToFit = false;
};
BuildContext gBuild;

// Modal dialogs that run, innermost last.
std::vector<SWELL_ModalState*> gModals;

const SWELL_DialogResourceIndex* FindResource(const SWELL_DialogResourceIndex* list, int id)
{
  for (; list; list = list->_next)
    if (list->resid == id) return list;
  return nullptr;
}

void OnComboChanged(GtkComboBox* combo, gpointer data)
{
  // Typing into a combo box changes no selection.
  if (gtk_combo_box_get_active(combo) >= 0) SWELL_NotifyParent((HWND)data, CBN_SELCHANGE);
}
void OnButtonEvent(GtkButton*, gpointer data) { SWELL_NotifyParent((HWND)data, BN_CLICKED); }

// Compact controls in the font the dialog resources were laid out for: a
// sans face of Helvetica's and Arial's widths (Liberation Sans is made to
// Arial's metrics) at 11 pixels, with which every text fits its rectangle.
// Menu bars keep the desktop's font.
void ApplyDialogStyle(HWND top)
{
  static GtkCssProvider* css = nullptr;
  if (!css)
  {
    css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(
        css,
        ".swell-controls { font-family: \"Liberation Sans\", Arial, Helvetica, sans-serif;"
        " font-size: 11px; }"
        ".swell-controls button { min-height: 0; padding: 1px 4px; }"
        ".swell-controls combobox button { padding: 1px 4px; }"
        ".swell-controls checkbutton { padding: 0; }"
        ".swell-controls check { margin: 0 4px 0 0; }"
        ".swell-controls frame > label { margin: 0 4px; }"
        ".swell-dialog menubar { padding: 0; min-height: 22px; }"
        ".swell-dialog menubar > menuitem { padding: 2px 8px; min-height: 0; }",
        -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(top->widget),
                                              GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  gtk_style_context_add_class(gtk_widget_get_style_context(top->widget), "swell-dialog");
  gtk_style_context_add_class(gtk_widget_get_style_context(top->client), "swell-controls");
}

bool FocusInChildView(HWND top)
{
  GtkWidget* w = gtk_window_get_focus(GTK_WINDOW(top->widget));
  for (; w; w = gtk_widget_get_parent(w))
  {
    HWND h = (HWND)g_object_get_data(G_OBJECT(w), "swell-hwnd");
    if (h && SWELL_IsWindow(h) && h->kind == SWELL_WndKind::ChildView) return true;
  }
  return false;
}

HWND DefaultButton(HWND top)
{
  for (HWND c : top->children)
    if (SWELL_IsWindow(c) && c->kind == SWELL_WndKind::Button && c->isDefault) return c;
  return nullptr;
}

gboolean OnTopLevelKey(GtkWidget*, GdkEventKey* ev, gpointer data)
{
  HWND h = (HWND)data;
  if (!SWELL_IsWindow(h) || h->destroying || h->disabledByModal) return FALSE;
  if (SWELL_SendAppMessage(SWELLAPP_KEYMESSAGE, (INT_PTR)h, (INT_PTR)ev)) return TRUE;
  if (!SWELL_IsWindow(h) || h->destroying) return TRUE;
  const guint mods = ev->state & gtk_accelerator_get_default_mod_mask();
  if (mods == GDK_CONTROL_MASK && (ev->keyval == GDK_KEY_w || ev->keyval == GDK_KEY_W))
  {
    SWELL_CloseRequest(h);
    return TRUE;
  }
  if (mods || FocusInChildView(h)) return FALSE;
  if (ev->keyval == GDK_KEY_Escape)
  {
    SWELL_CallProc(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    return TRUE;
  }
  if (ev->keyval == GDK_KEY_Return || ev->keyval == GDK_KEY_KP_Enter ||
      ev->keyval == GDK_KEY_ISO_Enter)
  {
    // A focused push button takes Return itself.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(h->widget));
    HWND fh = focus ? (HWND)g_object_get_data(G_OBJECT(focus), "swell-hwnd") : nullptr;
    if (fh && SWELL_IsWindow(fh) && fh->kind == SWELL_WndKind::Button) return FALSE;
    if (HWND def = DefaultButton(h))
    {
      if (gtk_widget_is_sensitive(def->widget)) gtk_button_clicked(GTK_BUTTON(def->widget));
    }
    else
      SWELL_CallProc(h, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    return TRUE;
  }
  return FALSE;
}

gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer data)
{
  HWND h = (HWND)data;
  if (SWELL_IsWindow(h) && !h->disabledByModal) SWELL_CloseRequest(h);
  return TRUE; // the window goes only through DestroyWindow
}

HWND NewControl(SWELL_WndKind kind, GtkWidget* widget, int id)
{
  HWND h = SWELL_NewWindow(kind);
  h->widget = widget;
  h->id = id;
  h->parent = gBuild.parent;
  g_object_set_data(G_OBJECT(widget), "swell-hwnd", h);
  return h;
}

// How a control sits in its resource rectangle. Controls of a natural
// height (labels, check boxes, buttons) are centred vertically in a taller
// rectangle, as in the toolkit the resources were laid out for; a combo box's
// rectangle is as tall as its open list, so it stays at the top. Labels and
// check boxes are no wider than their text (and a label's text is clipped to
// the rectangle); the others take the rectangle's width.
enum class Fit
{
  Rectangle,      // group frames
  TopOfRectangle, // combo boxes
  Centred,        // buttons
  CentredNarrow,  // labels and check boxes
};

HWND MakeControl(const SWELL_DialogControlRecord& rec)
{
  const char* type = rec.type ? rec.type : "";
  const char* text = rec.text ? rec.text : "";
  HWND h = nullptr;
  Fit fit = Fit::Rectangle;
  if (!strcmp(type, "__SWELL_GROUP"))
  {
    GtkWidget* w = gtk_frame_new(text[0] ? text : nullptr);
    h = NewControl(SWELL_WndKind::Group, w, rec.id);
  }
  else if (!strcmp(type, "__SWELL_LABEL"))
  {
    GtkWidget* w = GTK_WIDGET(g_object_new(swell_label_get_type(), "label", text, nullptr));
    gtk_label_set_xalign(GTK_LABEL(w), 0.0f);
    h = NewControl(SWELL_WndKind::Label, w, rec.id);
    fit = Fit::CentredNarrow;
  }
  else if (!strcmp(type, "__SWELL_COMBO"))
  {
    GtkWidget* w =
        (rec.style & 3) == 3 ? gtk_combo_box_text_new() : gtk_combo_box_text_new_with_entry();
    // Let narrow combo boxes be as narrow as their resource says.
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(w));
    for (GList* c = cells; c; c = c->next)
      if (GTK_IS_CELL_RENDERER_TEXT(c->data))
        g_object_set(c->data, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    g_list_free(cells);
    h = NewControl(SWELL_WndKind::Combo, w, rec.id);
    g_signal_connect(w, "changed", G_CALLBACK(OnComboChanged), h);
    fit = Fit::TopOfRectangle;
  }
  else if (!strcmp(type, "__SWELL_CHECKBOX"))
  {
    GtkWidget* w = gtk_check_button_new_with_label(text);
    h = NewControl(SWELL_WndKind::CheckBox, w, rec.id);
    g_signal_connect(w, "toggled", G_CALLBACK(OnButtonEvent), h);
    fit = Fit::CentredNarrow;
  }
  else if (!strcmp(type, "__SWELL_BUTTON"))
  {
    GtkWidget* w = gtk_button_new_with_label(text);
    h = NewControl(SWELL_WndKind::Button, w, rec.id);
    g_signal_connect(w, "clicked", G_CALLBACK(OnButtonEvent), h);
    if (rec.intval == 1)
    {
      h->isDefault = true;
      gtk_widget_set_can_default(w, TRUE);
      gtk_window_set_default(GTK_WINDOW(gBuild.parent->widget), w);
    }
    fit = Fit::Centred;
  }
  else
    return nullptr;

  // Placed and shown first: sizes are measured in the dialog's styles, and a
  // hidden widget measures nothing.
  gtk_fixed_put(GTK_FIXED(gBuild.parent->client), h->widget, 0, 0);
  gtk_widget_show(h->widget);
  int x = (int)(rec.x * gBuild.xscale + gBuild.xtrans);
  int y = (int)(rec.y * gBuild.yscale + gBuild.ytrans);
  int w = std::max((int)(rec.w * gBuild.xscale), 0), ht = std::max((int)(rec.h * gBuild.yscale), 0);
  if (fit != Fit::Rectangle)
  {
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_width(h->widget, &minimum, &natural);
    if (gBuild.sizeToFit && fit != Fit::TopOfRectangle) w = std::max(w, natural);
    if (fit == Fit::CentredNarrow) w = std::min(w, natural);
    gtk_widget_get_preferred_height_for_width(h->widget, w, &minimum, &natural);
    if (fit != Fit::TopOfRectangle && natural < ht) y += (ht - natural) / 2;
    ht = fit == Fit::TopOfRectangle ? natural : std::min(ht, natural);
  }
  h->rect = {x, y, x + w, y + ht};
  gtk_widget_set_size_request(h->widget, w, ht);
  gtk_fixed_move(GTK_FIXED(gBuild.parent->client), h->widget, x, y);
  gBuild.parent->children.push_back(h);
  return h;
}

HWND MakeDialog(const SWELL_DialogResourceIndex* res, HWND parent, DLGPROC proc)
{
  const double scale = res->scale > 0 ? res->scale : 1.0;
  HWND h = SWELL_CreateTopLevel(parent, res->title, (int)(res->width * scale + 0.5),
                                (int)(res->height * scale + 0.5),
                                (res->windowTypeFlags & SWELL_DLG_WS_RESIZABLE) != 0);
  if (!h) return nullptr;
  h->dlgproc = proc;
  h->id = res->resid;
  ApplyDialogStyle(h);
  if (res->createFunc)
  {
    const BuildContext saved = gBuild;
    gBuild = BuildContext();
    gBuild.parent = h;
    res->createFunc(h, res->windowTypeFlags);
    gBuild = saved;
  }
  return h;
}

HWND OwnerTopLevel(HWND h)
{
  while (SWELL_IsWindow(h) && h->kind != SWELL_WndKind::TopLevel) h = h->parent;
  return SWELL_IsWindow(h) ? h : nullptr;
}
} // namespace

void SWELL_InstallTopLevelHandlers(HWND h)
{
  g_signal_connect(h->widget, "key-press-event", G_CALLBACK(OnTopLevelKey), h);
  g_signal_connect(h->widget, "delete-event", G_CALLBACK(OnDeleteEvent), h);
}

LRESULT SWELL_CloseRequest(HWND h)
{
  if (!SWELL_IsWindow(h) || h->destroying) return 0;
  if (!h->dlgproc && !h->wndproc)
  {
    DestroyWindow(h);
    return 0;
  }
  const LRESULT r = SWELL_CallProc(h, WM_CLOSE, 0, 0);
  if (!r && h->dlgproc && SWELL_IsWindow(h) && !h->destroying)
    SWELL_CallProc(h, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  return r;
}

void SWELL_EndModalOnDestroy(HWND h)
{
  if (SWELL_ModalState* m = h->modal)
  {
    h->modal = nullptr;
    if (!m->ended)
    {
      m->ended = true;
      m->result = IDCANCEL;
    }
    if (m->loop) g_main_loop_quit(m->loop);
  }
}

void SWELL_EndAllModals()
{
  for (SWELL_ModalState* m : gModals)
  {
    if (!m->ended)
    {
      m->ended = true;
      m->result = IDCANCEL;
    }
    if (m->loop) g_main_loop_quit(m->loop);
  }
}

void SWELL_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent,
                           bool, bool sizeToFit)
{
  gBuild.xscale = xscale;
  gBuild.yscale = yscale;
  gBuild.xtrans = xtrans;
  gBuild.ytrans = ytrans;
  gBuild.parent = parent;
  gBuild.sizeToFit = sizeToFit;
}

void SWELL_GenerateDialogFromList(const SWELL_DialogControlRecord* list, int count)
{
  HWND parent = gBuild.parent;
  if (!list || count <= 0 || !IsWindow(parent) || parent->kind != SWELL_WndKind::TopLevel) return;
  for (int i = 0; i < count; i++) MakeControl(list[i]);
}

HWND SWELL_CreateDialog(SWELL_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc,
                        LPARAM param)
{
  const SWELL_DialogResourceIndex* res = FindResource(list, id);
  if (!res) return nullptr;
  HWND h = MakeDialog(res, parent, proc);
  if (!h) return nullptr;
  SWELL_CallProc(h, WM_INITDIALOG, 0, param);
  if (!IsWindow(h)) return nullptr;
  return h;
}

INT_PTR SWELL_DialogBox(SWELL_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc,
                        LPARAM param)
{
  const SWELL_DialogResourceIndex* res = FindResource(list, id);
  if (!res) return -1;
  HWND owner = OwnerTopLevel(parent);
  HWND h = MakeDialog(res, owner, proc);
  if (!h) return -1;
  SWELL_ShowHeldTopLevels();

  SWELL_ModalState state;
  h->modal = &state;
  gtk_window_set_modal(GTK_WINDOW(h->widget), TRUE);
  if (owner)
  {
    owner->disabledByModal++;
    gtk_widget_set_sensitive(owner->vbox, FALSE);
  }
  gModals.push_back(&state);

  SWELL_CallProc(h, WM_INITDIALOG, 0, param);
  if (!state.ended && IsWindow(h))
  {
    gtk_window_set_position(GTK_WINDOW(h->widget),
                            owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_present(GTK_WINDOW(h->widget));
    state.loop = g_main_loop_new(nullptr, FALSE);
    if (!state.ended) g_main_loop_run(state.loop);
    g_main_loop_unref(state.loop);
    state.loop = nullptr;
  }
  gModals.erase(std::remove(gModals.begin(), gModals.end(), &state), gModals.end());
  if (SWELL_IsWindow(h) && h->modal == &state)
  {
    h->modal = nullptr;
    DestroyWindow(h);
  }
  if (SWELL_IsWindow(owner))
  {
    if (--owner->disabledByModal == 0)
    {
      gtk_widget_set_sensitive(owner->vbox, TRUE);
      if (!owner->destroying && gtk_widget_get_visible(owner->widget))
        gtk_window_present(GTK_WINDOW(owner->widget));
    }
  }
  return state.ended ? state.result : IDCANCEL;
}

BOOL EndDialog(HWND dlg, INT_PTR result)
{
  if (!SWELL_IsWindow(dlg) || !dlg->modal) return FALSE;
  SWELL_ModalState* m = dlg->modal;
  if (!m->ended)
  {
    m->ended = true;
    m->result = result;
  }
  if (m->loop) g_main_loop_quit(m->loop);
  if (dlg->widget) gtk_widget_hide(dlg->widget);
  return TRUE;
}
