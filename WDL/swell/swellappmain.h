// The application: its entry, its messages and its end.
//
// The program's main calls SWELL_ApplicationMain, which initialises GTK,
// loads the application menu, and reports the application's life to the
// program's SWELLAppMain:
//   SWELLAPP_LOAD (1)              before the main loop runs;
//   SWELLAPP_LAUNCHED (2)          once it runs (the program makes its
//                                  windows);
//   SWELLAPP_OPENFILE (80)         for each file named on the command line
//                                  (parm1: the path as const char*);
//   SWELLAPP_SHOULDOPENUNTITLED (82), then SWELLAPP_OPENUNTITLED (81) when
//                                  it returned non-zero: when no file was
//                                  named;
//   SWELLAPP_SYSMENUCOMMAND (153)  an item of a menu bar was chosen (parm1:
//                                  its non-zero command id);
//   SWELLAPP_KEYMESSAGE (256)      a key press reached a top level window
//                                  (parm1: the HWND, parm2: the GdkEvent*);
//                                  non-zero eats the key;
//   SWELLAPP_ACTIVATE (4096)       the application became active (parm1 1)
//                                  or inactive (parm1 0);
//   SWELLAPP_SHOULDTERMINATE (4)   the last window closed; non-zero keeps
//                                  the application running;
//   SWELLAPP_TERMINATE (3)         the application terminates (after
//                                  SWELL_PostQuitMessage, the last window
//                                  closing, or SIGTERM, SIGINT or SIGHUP);
//                                  SWELL_ApplicationMain then returns.
// Posted messages (PostMessage) are sent every 0.05 s.
#pragma once

#include "swell-types.h"

#define SWELLAPP_LOAD 1
#define SWELLAPP_LAUNCHED 2
#define SWELLAPP_TERMINATE 3
#define SWELLAPP_SHOULDTERMINATE 4
#define SWELLAPP_OPENFILE 80
#define SWELLAPP_OPENUNTITLED 81
#define SWELLAPP_SHOULDOPENUNTITLED 82
#define SWELLAPP_SYSMENUCOMMAND 153
#define SWELLAPP_KEYMESSAGE 256
#define SWELLAPP_ACTIVATE 4096

// The application menu: the menu resource with this id in
// SWELL_curmodule_menuresource_head (see swell-menugen.h), loaded before
// SWELLAPP_LOAD and returned by SWELL_GetCurrentMenu. A tab in an item's
// name gives its accelerator, for instance "&Quit\tCtrl+Q" and
// "Preferences...\tCtrl+,".
#define SWELL_APP_MENU_ID 32000

// Defined by the program.
INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR parm2);

// Runs the application (see above) and returns its exit status: 0, or 1 when
// no display could be opened.
int SWELL_ApplicationMain(int argc, char** argv);

// Marks the application as terminating and ends its main loop (and any
// modal dialog, which then returns IDCANCEL, message box and open menu,
// closed with nothing chosen); SWELLAPP_TERMINATE follows. The window may be
// null.
void SWELL_PostQuitMessage(HWND hwnd);
