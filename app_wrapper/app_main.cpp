// The application's life: the window layer reports load, launch, commands and
// termination through SWELLAppMain; start-up brings up audio, MIDI and the
// plug-in, shut-down takes them down in an order that keeps the audio and
// MIDI threads away from the plug-in while it goes.
#include <cstdio>
#include <string>

#include <gtk/gtk.h>

#include "app_main.h"
#include "app_settings.h"
#include "app_audio.h"
#include "app_midi.h"
#include "app_test_script.h"
#include "IGraphics.h"
#include "IPlugStandalone.h"
#include "Plenmora.h"
#include "swell-resources.h"

namespace
{
// The menu of the main window (a copy of the application menu).
HMENU sMenu = nullptr;

// The host's menu resource is merged into a copy of the application menu and
// taken out again, which leaves that menu as it was: About, Preferences and
// Quit come from the application menu itself. Returns the copy (null when the
// application has no menu).
HMENU MergeMenus()
{
  HMENU menu = SWELL_GetCurrentMenu();
  if (menu) menu = SWELL_DuplicateMenu(menu);
  HMENU hostMenu = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, IDR_MENU1);
  if (!menu || !hostMenu)
  {
    if (hostMenu) DestroyMenu(hostMenu);
    return menu;
  }
  const int count = GetMenuItemCount(hostMenu);
  for (int x = 0; x < count - 1; ++x)
  {
    HMENU sub = GetSubMenu(hostMenu, x);
    if (!sub) continue;
    char title[1024] = "";
    MENUITEMINFO mii = {};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_TYPE;
    mii.dwTypeData = title;
    mii.cch = sizeof(title);
    GetMenuItemInfo(hostMenu, x, TRUE, &mii);

    MENUITEMINFO item = {};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU;
    item.fType = MFT_STRING;
    item.hSubMenu = SWELL_DuplicateMenu(sub);
    item.dwTypeData = title;
    InsertMenuItem(menu, x + 1, TRUE, &item);
  }
  if (HMENU sub = GetSubMenu(menu, 1))
  {
    DeleteMenu(sub, IDM_QUIT, MF_BYCOMMAND);
    DeleteMenu(sub, IDM_PREFERENCES, MF_BYCOMMAND);
    for (int n = GetMenuItemCount(sub); n > 0 && GetMenuItemID(sub, n - 1) == 0; --n)
      DeleteMenu(sub, n - 1, MF_BYPOSITION);
  }
  DeleteMenu(menu, 1, MF_BYPOSITION);
  DestroyMenu(hostMenu);
  return menu;
}

// Says why no audio runs after start-up.
void ReportNoStream()
{
  if (gAudioInputDevs.empty() && gAudioOutputDevs.empty())
    printf("No audio stream is running: the %s driver finds no audio devices%s. Choose the "
           "audio driver and devices in File > Preferences...\n",
           gState->mAudioDriver < kNumAudioDrivers ? kAudioDriverNames[gState->mAudioDriver]
                                                   : "audio",
           gState->mAudioDriver == 0 ? " (is a JACK server running?)" : "");
  else
    printf("No audio stream is running: input device \"%s\" or output device \"%s\" could "
           "not be opened. Choose the audio devices in File > Preferences...\n",
           gState->mAudioInDevice, gState->mAudioOutDevice);
  fflush(stdout);
}

// The audio and MIDI part of start-up waits until the window has drawn its
// first frame, the editor with it: talking to the audio servers takes longer
// than showing the window. Without a frame within a second it starts anyway.
guint sStartSource = 0;
gulong sFirstFrameHandler = 0;

gboolean OnStartIdle(gpointer)
{
  sStartSource = 0;
  if (!StartAudioAndMidi()) ReportNoStream();
  fflush(stdout);
  return G_SOURCE_REMOVE;
}

gboolean OnFirstFrame(GtkWidget* window, cairo_t*, gpointer)
{
  g_signal_handler_disconnect(window, sFirstFrameHandler);
  if (sStartSource)
  {
    g_source_remove(sStartSource);
    sStartSource = g_idle_add(OnStartIdle, nullptr);
  }
  return FALSE;
}

// Without its pictures the effect makes no editor and the window stays empty:
// the user is told why once the window is up.
gboolean ReportNoEditor(gpointer)
{
  if (gHWND)
  {
    const char* problem = gPluginInstance ? gPluginInstance->GetGUIProblem() : "";
    const std::string text =
        "Plenmora cannot show its editor: " +
        (*problem ? std::string(problem)
                  : std::string("its pictures are missing or unreadable in ") +
                        SWELL_GetResourcePath() + ".") +
        "\n\nThe reverb runs without the editor. Installing Plenmora again brings the "
        "pictures back.";
    MessageBox(gHWND, text.c_str(), "Plenmora", MB_OK);
  }
  return G_SOURCE_REMOVE;
}

INT_PTR OnLaunched()
{
  MakePlugin();
  sMenu = MergeMenus();
  HWND hwnd = SWELL_CreateDialog(SWELL_curmodule_dialogresource_head, IDD_DIALOG_MAIN, nullptr,
                                 MainDlgProc, 0);
  if (sMenu)
  {
    if (hwnd) SetMenu(hwnd, sMenu);
    SWELL_SetDefaultModalWindowMenu(sMenu);
  }
  if (!AttachGUI()) puts("couldn't attach gui");
  fflush(stdout);
  if (gPluginInstance && !gPluginInstance->GetGUI()) g_idle_add(ReportNoEditor, nullptr);
  sStartSource = g_timeout_add(1000, OnStartIdle, nullptr);
  if (GtkWidget* window = SWELL_GetWidget(gHWND))
    sFirstFrameHandler = g_signal_connect_after(window, "draw", G_CALLBACK(OnFirstFrame), nullptr);
  StartTestScriptIfRequested();
  return 0;
}
} // namespace

INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR /*parm2*/)
{
  switch (msg)
  {
    case SWELLAPP_LOAD:
      return LoadSettings() ? 0 : 1;
    case SWELLAPP_LAUNCHED:
      return OnLaunched();
    case SWELLAPP_TERMINATE:
      // A quit before the audio started: it need not start now.
      if (sStartSource) g_source_remove(sStartSource);
      sStartSource = 0;
      if (gHWND) DestroyWindow(gHWND);
      Cleanup();
      if (sMenu)
      {
        // The main window's menu is ours; the window is gone.
        SWELL_SetDefaultModalWindowMenu(nullptr);
        DestroyMenu(sMenu);
        sMenu = nullptr;
      }
      return 0;
    case SWELLAPP_SYSMENUCOMMAND:
      if (gHWND && LOWORD(parm1)) SendMessage(gHWND, WM_COMMAND, LOWORD(parm1), 0);
      return 0;
    default:
      return 0;
  }
}

bool Init()
{
  MakePlugin();
  return StartAudioAndMidi();
}

void MakePlugin()
{
  gPluginInstance = MakePlug(gMidiOut, &gState->mMidiOutChannel, nullptr);
  gPluginInstance->RestorePreset(0);
}

bool StartAudioAndMidi()
{
  // Settings that never played are no choice: with no server answering at
  // the first start they name a driver without devices, and keeping them
  // would leave every later start silent.
  if (IsAudioChoiceProvisional())
  {
    ChooseDriverThatAnswers();
  }
  else
  {
    TryToChangeAudioDriverType();
    ProbeAudioIO();
  }
  // The MIDI ports are listed when the preferences dialog opens; a MIDI
  // object is made only for a side whose port is chosen.
  ChooseMidiInput(gState->mMidiInDevice);
  ChooseMidiOutput(gState->mMidiOutDevice);
  const bool started = TryToChangeAudio();
  if (started && IsAudioChoiceProvisional())
  {
    SetAudioChoiceProvisional(false);
    UpdateINI();
  }
  return started;
}

void FinishStartup()
{
  if (!sStartSource) return;
  g_source_remove(sStartSource);
  OnStartIdle(nullptr);
}

bool AttachGUI()
{
  IGraphics* gui = gPluginInstance ? gPluginInstance->GetGUI() : nullptr;
  if (!gui) return false;
  if (!gui->OpenWindow(gHWND)) return false;
  gPluginInstance->OnGUIOpen();
  return true;
}

void Cleanup()
{
  // Audio and MIDI threads stop before the plug-in goes.
  StopAudioStream();
  CloseMidi();
  CloseAudioStream();

  delete gPluginInstance;
  gPluginInstance = nullptr;

  DeleteSettings();
  DeleteAudioDriver();
  fflush(stdout);
}
