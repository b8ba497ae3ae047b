// Shared by the host's start-up benchmark and run-time probes: the real
// program started from a sandbox home folder (tests/app/support), watched on
// the X server from before its exec until its first top-level window maps,
// and closed the way a window manager closes a window; its CPU time.
#pragma once

#include <X11/Xlib.h>
#include <poll.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app_runner.h"
#include "jack_support.h"

class AppLaunch
{
public:
  AppLaunch()
  {
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay) return;
    // Selected before the fork, so no map can be missed.
    XSelectInput(mDisplay, DefaultRootWindow(mDisplay), SubstructureNotifyMask);
    XSync(mDisplay, False);
  }
  ~AppLaunch()
  {
    if (mDisplay) XCloseDisplay(mDisplay);
  }
  bool Ok() const
  {
    if (!mDisplay) fprintf(stderr, "no X server (DISPLAY)\n");
    return mDisplay != nullptr;
  }

  // Starts the program (with the test hook's script steps, when given) and
  // waits for its first top-level window (not a popup) to map. Returns the
  // milliseconds from just before the fork to the map event; negative when no
  // window mapped within timeoutMs.
  double StartAndWaitForMap(AppSandbox& app, const std::vector<std::string>& script = {},
                            int timeoutMs = 20000)
  {
    while (XPending(mDisplay))
    {
      XEvent ev;
      XNextEvent(mDisplay, &ev);
    }
    const auto t0 = std::chrono::steady_clock::now();
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    mStartUs = now.tv_sec * 1000000LL + now.tv_nsec / 1000;
    app.Start(script);
    mWindow = 0;
    const auto end = t0 + std::chrono::milliseconds(timeoutMs);
    while (!mWindow && std::chrono::steady_clock::now() < end)
    {
      if (!XPending(mDisplay))
      {
        pollfd fd = {ConnectionNumber(mDisplay), POLLIN, 0};
        poll(&fd, 1, 50);
        if (!XPending(mDisplay)) continue;
      }
      XEvent ev;
      XNextEvent(mDisplay, &ev);
      if (ev.type == MapNotify && !ev.xmap.override_redirect) mWindow = ev.xmap.window;
    }
    if (!mWindow) return -1;
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }

  // The milliseconds from the last start to the editor's first complete frame
  // (the program's "first paint" line, which needs a script); negative when
  // it did not come.
  double FirstFrame(const AppSandbox& app) const
  {
    const std::string mark = "script: first paint ";
    if (!app.WaitForOutput(mark)) return -1;
    const std::string out = app.OutputSoFar();
    // The program's clock is the same monotonic clock, in microseconds.
    const long long painted = atoll(out.c_str() + out.find(mark) + mark.size());
    return (painted - mStartUs) / 1000.0;
  }

  // Asks the mapped window to close (WM_DELETE_WINDOW) and waits for the
  // program to end; false when it had to be killed.
  bool Close(AppSandbox& app)
  {
    if (mWindow)
    {
      XEvent ev = {};
      ev.xclient.type = ClientMessage;
      ev.xclient.window = mWindow;
      ev.xclient.message_type = XInternAtom(mDisplay, "WM_PROTOCOLS", False);
      ev.xclient.format = 32;
      ev.xclient.data.l[0] = (long)XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
      ev.xclient.data.l[1] = CurrentTime;
      XSendEvent(mDisplay, mWindow, False, NoEventMask, &ev);
      XFlush(mDisplay);
    }
    const AppResult r = app.Wait(20);
    if (!r.ok)
      fprintf(stderr, "the program did not end by itself:\n%s%s\n", r.out.c_str(), r.err.c_str());
    return r.ok;
  }

private:
  Display* mDisplay = nullptr;
  Window mWindow = 0;
  long long mStartUs = 0; // the last start on the monotonic clock
};

// User and system CPU time of the process, in clock ticks.
inline long CpuTicks(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i)
  {
    if (i == 14) utime = atol(field.c_str());
    if (i == 15) stime = atol(field.c_str());
  }
  return utime + stime;
}

// Settings of a stream at rate Hz and period frames on the JACK server's
// client device (its hardware client unless told), with the MIDI input given.
inline std::string JackSettings(int rate, int period, const char* device = "system",
                                const char* midiIn = "off")
{
  return std::string("[audio]\ndriver=0\nindev=") + device + "\noutdev=" + device +
         "\nsr=" + std::to_string(rate) + "\niovs=" + std::to_string(period) +
         "\nsigvs=32\n[midi]\nindev=" + midiIn + "\noutdev=off\n";
}

// Starts the benchmark's own JACK server and makes it the default for the
// program and for this process.
inline bool StartJackServer(JackServer& server)
{
  if (!server.Start())
  {
    fprintf(stderr, "jackd did not start\n");
    return false;
  }
  setenv("JACK_DEFAULT_SERVER", server.Name().c_str(), 1);
  return true;
}
