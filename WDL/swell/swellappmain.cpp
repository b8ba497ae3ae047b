// The application delegate: start-up, the main loop and termination.
#include "swellappmain.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include <glib-unix.h>

#include "swell-menu.h"
#include "swell-menugen.h"
#include "swell-wnd-internal.h"

// The program's callback; a program that never runs the application need
// not define it.
extern INT_PTR SWELLAppMain(int msg, INT_PTR parm1, INT_PTR parm2) __attribute__((weak));

namespace
{
class SWELLAppController
{
public:
  int Run(int argc, char** argv)
  {
    if (!SWELL_EnsureGtk(&argc, &argv))
    {
      fprintf(stderr, "cannot open the display\n");
      return 1;
    }
    // The desktop's settings and theme are loaded now, not with the first
    // window: what the application started on threads of its own before
    // (such as decoding pictures) goes on meanwhile.
    gtk_settings_get_default();
    m_files.clear();
    for (int i = 1; i < argc; i++)
      if (argv[i][0] != '-') m_files.push_back(argv[i]);
    m_running = true;
    m_terminating = false;
    m_launched = false;
    m_menu = SWELL_LoadMenu(SWELL_curmodule_menuresource_head, SWELL_APP_MENU_ID);
    WatchQuitSignals();

    Send(SWELLAPP_LOAD, 0, 0);
    SWELL_StartPostTimer();
    m_loop = g_main_loop_new(nullptr, FALSE);
    m_launchIdle = g_idle_add(
        [](gpointer self) -> gboolean
        {
          auto* c = static_cast<SWELLAppController*>(self);
          c->m_launchIdle = 0;
          c->LaunchFinished();
          return G_SOURCE_REMOVE;
        },
        this);
    // A quit asked for while loading ends the application before it launches.
    if (!m_terminating) g_main_loop_run(m_loop);
    if (m_launchIdle) g_source_remove(m_launchIdle);
    m_launchIdle = 0;
    g_main_loop_unref(m_loop);
    m_loop = nullptr;

    Send(SWELLAPP_TERMINATE, 0, 0);
    UnwatchQuitSignals();
    DestroyMenu(m_menu);
    m_menu = nullptr;
    m_running = false;
    return 0;
  }

  INT_PTR Send(int msg, INT_PTR parm1, INT_PTR parm2)
  {
    return SWELLAppMain ? SWELLAppMain(msg, parm1, parm2) : 0;
  }

  void Quit()
  {
    m_terminating = true;
    SWELL_EndAllModals();
    SWELL_EndAllMessageBoxes();
    SWELL_EndAllPopupMenus();
    if (m_loop) g_main_loop_quit(m_loop);
  }

  void TopLevelGone()
  {
    if (!m_running || m_terminating || !m_launched || SWELL_TopLevelCount() > 0) return;
    if (Send(SWELLAPP_SHOULDTERMINATE, 0, 0) == 0) Quit();
  }

  // Activation follows the focus of the application's windows; changes are
  // gathered so that moving between two windows reports nothing.
  void ActivityChanged()
  {
    if (!m_running || m_activityIdle) return;
    m_activityIdle = g_idle_add(
        [](gpointer self) -> gboolean
        {
          auto* c = static_cast<SWELLAppController*>(self);
          c->m_activityIdle = 0;
          bool active = false;
          GList* list = gtk_window_list_toplevels();
          for (GList* l = list; l; l = l->next)
            active |= gtk_window_is_active(GTK_WINDOW(l->data)) != FALSE;
          g_list_free(list);
          if (active != c->m_active && c->m_running && !c->m_terminating)
          {
            c->m_active = active;
            c->Send(SWELLAPP_ACTIVATE, active ? 1 : 0, 0);
          }
          return G_SOURCE_REMOVE;
        },
        this);
  }

  bool m_running = false;
  HMENU m_menu = nullptr;

private:
  // SIGTERM (the desktop at logout), SIGINT (Ctrl+C in a terminal) and
  // SIGHUP (the terminal closed) end the application as
  // SWELL_PostQuitMessage does, so the program shuts down in order. GLib's
  // handler only wakes the main loop; the quitting happens there. One that
  // comes while the application loads ends it before it launches; one that
  // comes while it terminates changes nothing.
  void WatchQuitSignals()
  {
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
      m_signalSources.push_back(g_unix_signal_add(
          sig,
          [](gpointer self) -> gboolean
          {
            static_cast<SWELLAppController*>(self)->Quit();
            return G_SOURCE_CONTINUE;
          },
          this));
  }
  void UnwatchQuitSignals()
  {
    for (guint id : m_signalSources) g_source_remove(id);
    m_signalSources.clear();
  }

  void LaunchFinished()
  {
    if (m_launched) return;
    m_launched = true;
    SWELL_HoldTopLevelShows(true);
    Send(SWELLAPP_LAUNCHED, 0, 0);
    SWELL_HoldTopLevelShows(false);
    if (m_terminating) return;
    for (const std::string& f : m_files) Send(SWELLAPP_OPENFILE, (INT_PTR)f.c_str(), 0);
    if (m_files.empty() && Send(SWELLAPP_SHOULDOPENUNTITLED, 0, 0) > 0)
      Send(SWELLAPP_OPENUNTITLED, 0, 0);
  }

  GMainLoop* m_loop = nullptr;
  bool m_terminating = false;
  bool m_launched = false;
  bool m_active = false;
  guint m_activityIdle = 0;
  guint m_launchIdle = 0;
  std::vector<std::string> m_files;
  std::vector<guint> m_signalSources;
};

SWELLAppController gApp;
} // namespace

int SWELL_ApplicationMain(int argc, char** argv)
{
  if (gApp.m_running) return 1;
  return gApp.Run(argc, argv);
}

void SWELL_PostQuitMessage(HWND) { gApp.Quit(); }

bool SWELL_ApplicationRunning() { return gApp.m_running; }

INT_PTR SWELL_SendAppMessage(int msg, INT_PTR parm1, INT_PTR parm2)
{
  return gApp.m_running ? gApp.Send(msg, parm1, parm2) : 0;
}

void SWELL_TopLevelGone() { gApp.TopLevelGone(); }

void SWELL_ActivityChanged() { gApp.ActivityChanged(); }

HMENU SWELL_GetCurrentMenu() { return gApp.m_running ? gApp.m_menu : nullptr; }
