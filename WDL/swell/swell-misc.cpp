// User actions simulated by tests.
#include "swell-misc.h"

#include "swell-kb.h"
#include "swell-wnd-internal.h"
#include "swell-wnd.h"

namespace
{
guint VKToKeyval(int vk, int mods)
{
  if (vk >= 'A' && vk <= 'Z') return (mods & FSHIFT) ? (guint)vk : (guint)(vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return (guint)vk;
  if (vk >= VK_F1 && vk <= VK_F24) return GDK_KEY_F1 + (guint)(vk - VK_F1);
  switch (vk)
  {
    case VK_ESCAPE:
      return GDK_KEY_Escape;
    case VK_RETURN:
      return GDK_KEY_Return;
    case VK_TAB:
      return GDK_KEY_Tab;
    case VK_SPACE:
      return GDK_KEY_space;
    case VK_BACK:
      return GDK_KEY_BackSpace;
    case VK_DELETE:
      return GDK_KEY_Delete;
    case VK_LEFT:
      return GDK_KEY_Left;
    case VK_RIGHT:
      return GDK_KEY_Right;
    case VK_UP:
      return GDK_KEY_Up;
    case VK_DOWN:
      return GDK_KEY_Down;
    case VK_HOME:
      return GDK_KEY_Home;
    case VK_END:
      return GDK_KEY_End;
    case VK_PRIOR:
      return GDK_KEY_Page_Up;
    case VK_NEXT:
      return GDK_KEY_Page_Down;
    case VK_OEM_COMMA:
      return GDK_KEY_comma;
    case VK_OEM_PERIOD:
      return GDK_KEY_period;
    default:
      return 0;
  }
}

bool Usable(HWND h) { return IsWindow(h) && h->widget && gtk_widget_is_sensitive(h->widget); }
} // namespace

BOOL SWELL_SimulateUserSelect(HWND combo, int index)
{
  if (!Usable(combo) || combo->kind != SWELL_WndKind::Combo) return FALSE;
  if (index < 0 || index >= (int)combo->items.size()) return FALSE;
  gtk_combo_box_set_active(GTK_COMBO_BOX(combo->widget), index);
  return TRUE;
}

BOOL SWELL_SimulateUserClick(HWND button)
{
  if (!Usable(button)) return FALSE;
  if (button->kind != SWELL_WndKind::Button && button->kind != SWELL_WndKind::CheckBox)
    return FALSE;
  gtk_button_clicked(GTK_BUTTON(button->widget));
  return TRUE;
}

BOOL SWELL_SimulateKeyPress(HWND hwnd, int vk, int mods)
{
  HWND top = hwnd;
  while (SWELL_IsWindow(top) && top->kind != SWELL_WndKind::TopLevel) top = top->parent;
  if (!IsWindow(top) || !top->widget) return FALSE;
  const guint keyval = VKToKeyval(vk, mods);
  if (!keyval) return FALSE;
  gtk_widget_realize(top->widget);
  GdkWindow* gw = gtk_widget_get_window(top->widget);
  if (!gw) return FALSE;
  guint state = 0;
  if (mods & FSHIFT) state |= GDK_SHIFT_MASK;
  if (mods & FCONTROL) state |= GDK_CONTROL_MASK;
  if (mods & FALT) state |= GDK_MOD1_MASK;

  GdkKeymapKey* keys = nullptr;
  gint nkeys = 0;
  guint16 hw = 0;
  if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(gw)),
                                        keyval, &keys, &nkeys) &&
      nkeys > 0)
    hw = (guint16)keys[0].keycode;
  g_free(keys);

  for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE})
  {
    if (!IsWindow(top)) break; // the key press may have closed it
    GdkEvent* ev = gdk_event_new(type);
    ev->key.window = GDK_WINDOW(g_object_ref(gw));
    ev->key.send_event = TRUE;
    ev->key.time = GDK_CURRENT_TIME;
    ev->key.state = state;
    ev->key.keyval = keyval;
    ev->key.hardware_keycode = hw;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gw));
    if (seat) gdk_event_set_device(ev, gdk_seat_get_keyboard(seat));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
  }
  return TRUE;
}
