// Keyboard: GDK key values to Windows virtual key codes.
#include "swell-kb.h"

#include "swell-wnd-internal.h"

int SWELL_KeyvalToVK(guint keyval)
{
  if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (int)(keyval - GDK_KEY_a);
  if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (int)(keyval - GDK_KEY_A);
  if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (int)(keyval - GDK_KEY_0);
  if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9)
    return VK_NUMPAD0 + (int)(keyval - GDK_KEY_KP_0);
  if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return VK_F1 + (int)(keyval - GDK_KEY_F1);
  switch (keyval)
  {
    case GDK_KEY_BackSpace:
      return VK_BACK;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
      return VK_TAB;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter:
      return VK_RETURN;
    case GDK_KEY_Shift_L:
    case GDK_KEY_Shift_R:
      return VK_SHIFT;
    case GDK_KEY_Control_L:
    case GDK_KEY_Control_R:
      return VK_CONTROL;
    case GDK_KEY_Alt_L:
    case GDK_KEY_Alt_R:
      return VK_MENU;
    case GDK_KEY_Pause:
      return VK_PAUSE;
    case GDK_KEY_Caps_Lock:
      return VK_CAPITAL;
    case GDK_KEY_Escape:
      return VK_ESCAPE;
    case GDK_KEY_space:
    case GDK_KEY_KP_Space:
      return VK_SPACE;
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
      return VK_PRIOR;
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
      return VK_NEXT;
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
      return VK_END;
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
      return VK_HOME;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
      return VK_LEFT;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
      return VK_UP;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
      return VK_RIGHT;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
      return VK_DOWN;
    case GDK_KEY_Insert:
    case GDK_KEY_KP_Insert:
      return VK_INSERT;
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete:
      return VK_DELETE;
    case GDK_KEY_Help:
      return VK_HELP;
    case GDK_KEY_KP_Multiply:
      return VK_MULTIPLY;
    case GDK_KEY_KP_Add:
      return VK_ADD;
    case GDK_KEY_KP_Subtract:
      return VK_SUBTRACT;
    case GDK_KEY_KP_Decimal:
      return VK_DECIMAL;
    case GDK_KEY_KP_Divide:
      return VK_DIVIDE;
    case GDK_KEY_semicolon:
    case GDK_KEY_colon:
      return VK_OEM_1;
    case GDK_KEY_equal:
    case GDK_KEY_plus:
      return VK_OEM_PLUS;
    case GDK_KEY_comma:
    case GDK_KEY_less:
      return VK_OEM_COMMA;
    case GDK_KEY_minus:
    case GDK_KEY_underscore:
      return VK_OEM_MINUS;
    case GDK_KEY_period:
    case GDK_KEY_greater:
      return VK_OEM_PERIOD;
    case GDK_KEY_slash:
    case GDK_KEY_question:
      return VK_OEM_2;
    case GDK_KEY_grave:
    case GDK_KEY_asciitilde:
      return VK_OEM_3;
    case GDK_KEY_bracketleft:
    case GDK_KEY_braceleft:
      return VK_OEM_4;
    case GDK_KEY_backslash:
    case GDK_KEY_bar:
      return VK_OEM_5;
    case GDK_KEY_bracketright:
    case GDK_KEY_braceright:
      return VK_OEM_6;
    case GDK_KEY_apostrophe:
    case GDK_KEY_quotedbl:
      return VK_OEM_7;
    default:
      return 0;
  }
}

int SWELL_ModifierFlags(guint state)
{
  int f = FVIRTKEY;
  if (state & GDK_SHIFT_MASK) f |= FSHIFT;
  if (state & GDK_CONTROL_MASK) f |= FCONTROL;
  if (state & GDK_MOD1_MASK) f |= FALT;
  return f;
}

int SWELL_KeyEventToVK(const GdkEventKey* ev)
{
  // The key's own code, whatever Shift makes of it ('1' for '!').
  GdkDisplay* display = ev->window ? gdk_window_get_display(ev->window) : gdk_display_get_default();
  if (display)
  {
    guint base = 0;
    const GdkModifierType keep = (GdkModifierType)(ev->state & GDK_MOD2_MASK); // Num Lock
    if (gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(display),
                                            ev->hardware_keycode, keep, ev->group, &base, nullptr,
                                            nullptr, nullptr))
      if (const int vk = SWELL_KeyvalToVK(base)) return vk;
  }
  return SWELL_KeyvalToVK(ev->keyval);
}
