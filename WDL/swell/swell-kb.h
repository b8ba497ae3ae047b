// Keyboard: Windows virtual key codes and modifier flags of key messages.
#pragma once

#include "swell-types.h"

// Modifier flags in lParam of WM_KEYDOWN.
#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
// '0'..'9' and 'A'..'Z' are their ASCII codes.
#define VK_NUMPAD0 0x60
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F24 0x87
#define VK_OEM_1 0xBA      // ';:'
#define VK_OEM_PLUS 0xBB   // '=+'
#define VK_OEM_COMMA 0xBC  // ',<'
#define VK_OEM_MINUS 0xBD  // '-_'
#define VK_OEM_PERIOD 0xBE // '.>'
#define VK_OEM_2 0xBF      // '/?'
#define VK_OEM_3 0xC0      // '`~'
#define VK_OEM_4 0xDB      // '[{'
#define VK_OEM_5 0xDC      // '\|'
#define VK_OEM_6 0xDD      // ']}'
#define VK_OEM_7 0xDE      // ''"'
