// The application's dialog and menu resources, registered with the window
// layer before main runs: the main window (empty; the editor view is its only
// content), the preferences dialog with its 35 controls, and the menu; and the
// option lists of the preferences dialog's vector-size combos. The dialog code
// uses the option lists, which also keeps this file in every program that
// links the host.
#include "swell.h"
#include "swell-dlggen.h"
#include "swell-menugen.h"

#include "app_main.h"
#include "resource.h"

const char* const kIOVSOptions[kNumIOVSOptions] = {"32",   "64",   "128",  "256", "512",
                                                   "1024", "2048", "4096", "8192"};
const char* const kSIGVSOptions[kNumSIGVSOptions] = {"16", "32", "64", "128", "256", "512", "1024"};

namespace
{
// Resource flag 8: do not size the dialog to fit its controls.
constexpr int kNoSizeToFit = 8;
// Flags of both dialogs: flipped view (4) and no size-to-fit (8).
constexpr int kDialogFlags = 12;
// Combo box style: a drop-down list that cannot be typed into.
constexpr int kDropDownList = 3;

void MakeControls(HWND hwnd, int resFlags, const SWELL_DialogControlRecord* list, int count)
{
  SWELL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, !(resFlags & kNoSizeToFit));
  if (count > 0) SWELL_GenerateDialogFromList(list, count);
}

// ---- IDD_DIALOG_MAIN ----

void SWELL__dlg_cf__IDD_DIALOG_MAIN(HWND hwnd, int resFlags)
{
  MakeControls(hwnd, resFlags, nullptr, 0);
}

SWELL_DialogRegHelper sRegMain(&SWELL_curmodule_dialogresource_head, SWELL__dlg_cf__IDD_DIALOG_MAIN,
                               IDD_DIALOG_MAIN, kDialogFlags, "Plenmora", MAIN_DIALOG_WIDTH,
                               MAIN_DIALOG_HEIGHT, 1.0);

// ---- IDD_DIALOG_PREF ----

const SWELL_DialogControlRecord kPrefControls[] = {
    {"__SWELL_GROUP", 0, "Audio Settings", -1, 5, 10, 300, 230, 0},
    {"__SWELL_LABEL", -1, "Driver Type", -1, 20, 32, 60, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_DRIVER, 20, 50, 150, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Input Device", -1, 20, 75, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_IN_DEVICE, 20, 90, 150, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Output Device", -1, 20, 115, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_OUT_DEVICE, 20, 130, 150, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "In 1 (L)", -1, 20, 155, 90, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_IN1, 20, 170, 46, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "In 2 (R)", -1, 75, 155, 90, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_IN2, 75, 170, 46, 100, kDropDownList},
    {"__SWELL_CHECKBOX", 0, "Mono", IDC_PREF_MONO, 125, 128, 56, 100, 0},
    {"__SWELL_LABEL", -1, "Out 1 (L)", -1, 20, 195, 60, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_OUT1, 20, 210, 46, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Out 2 (R)", -1, 75, 195, 60, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_OUT2, 75, 210, 46, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "IO Vector Size", -1, 200, 32, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_IOVS, 200, 50, 90, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Signal Vector Size", -1, 200, 75, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_SIGVS, 200, 90, 90, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Sampling Rate", -1, 200, 115, 80, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_SAMPLE_RATE, 200, 130, 90, 100, kDropDownList},
    {"__SWELL_BUTTON", 0, "Audio Midi Setup...", IDC_PREF_AUDIO_MIDI_SETUP, 180, 170, 110, 40, 0},
    {"__SWELL_GROUP", 0, "MIDI Settings", -1, 5, 255, 300, 120, 0},
    {"__SWELL_LABEL", -1, "Input Device", -1, 20, 275, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_MIDI_IN, 20, 293, 150, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Output Device", -1, 20, 320, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_MIDI_OUT, 20, 338, 150, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Input Channel", -1, 200, 275, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_MIDI_IN_CHAN, 200, 293, 90, 100, kDropDownList},
    {"__SWELL_LABEL", -1, "Output Channel", -1, 200, 320, 100, 20, 0},
    {"__SWELL_COMBO", 0, "", IDC_PREF_MIDI_OUT_CHAN, 200, 338, 90, 100, kDropDownList},
    {"__SWELL_BUTTON", 1, "OK", IDOK, 192, 383, 50, 20, 0},
    {"__SWELL_BUTTON", 0, "Apply", IDC_PREF_APPLY, 132, 383, 50, 20, 0},
    {"__SWELL_BUTTON", 0, "Cancel", IDCANCEL, 252, 383, 50, 20, 0},
};
static_assert(sizeof(kPrefControls) / sizeof(kPrefControls[0]) == 35,
              "the preferences dialog has 35 controls");

void SWELL__dlg_cf__IDD_DIALOG_PREF(HWND hwnd, int resFlags)
{
  MakeControls(hwnd, resFlags, kPrefControls,
               (int)(sizeof(kPrefControls) / sizeof(kPrefControls[0])));
}

SWELL_DialogRegHelper sRegPref(&SWELL_curmodule_dialogresource_head, SWELL__dlg_cf__IDD_DIALOG_PREF,
                               IDD_DIALOG_PREF, kDialogFlags, "Preferences", 320, 420, 1.0);

// ---- IDR_MENU1 ----

const SWELL_MenuItemRecord kMenu1[] = {
    {"/.BO^O:&File", 0, 0}, {"Preferences...", IDM_PREFERENCES, 0},
    {"&Quit", IDM_QUIT, 0}, {"EN%%%^:", 0, 0},
    {"/.BO^O:&Help", 0, 0}, {"&About", IDM_ABOUT, 0},
    {"EN%%%^:", 0, 0},
};

void __swell_menu_cf__IDR_MENU1(HMENU menu)
{
  SWELL_GenerateMenuFromList(menu, kMenu1, (int)(sizeof(kMenu1) / sizeof(kMenu1[0])));
}

SWELL_MenuGenHelper sRegMenu1(&SWELL_curmodule_menuresource_head, __swell_menu_cf__IDR_MENU1,
                              IDR_MENU1);

// ---- The application menu ----
// The window layer loads it at start and shows it as the main window's menu
// bar; its items reach the application as menu commands.

const SWELL_MenuItemRecord kAppMenu[] = {
    {SWELL_MENUGEN_POPUP_PREFIX "&File", 0, 0},
    {"Preferences...\tCtrl+,", IDM_PREFERENCES, 0},
    {"&Quit\tCtrl+Q", IDM_QUIT, 0},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
    {SWELL_MENUGEN_POPUP_PREFIX "&Help", 0, 0},
    {"&About", IDM_ABOUT, 0},
    {SWELL_MENUGEN_ENDPOPUP, 0, 0},
};

void BuildAppMenu(HMENU menu)
{
  SWELL_GenerateMenuFromList(menu, kAppMenu, (int)(sizeof(kAppMenu) / sizeof(kAppMenu[0])));
}

SWELL_MenuGenHelper sRegAppMenu(&SWELL_curmodule_menuresource_head, BuildAppMenu,
                                SWELL_APP_MENU_ID);
} // namespace
