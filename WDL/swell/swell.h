// The window layer: Win32-style windows, dialogs, menus, drawing contexts,
// profile files and the application entry, over GTK 3.
#pragma once

#include "swell-types.h"
#include "swell-wnd.h"
#include "swell-dlg.h"
#include "swell-dlggen.h"
#include "swell-menu.h"
#include "swell-menugen.h"
#include "swell-gdi.h"
#include "swell-ini.h"
#include "swell-kb.h"
#include "swell-misc.h"
#include "swell-miscdlg.h"
#include "swellappmain.h"
#include "swell-resources.h"
