// Shared by the host's start-up benchmark and run-time probes: the real
// program started from a sandbox home folder (tests/app/support), watched on
// the X server from before its exec until its first top-level window maps,
// and closed the way a window manager closes a window; its CPU time.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
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
    // A window that goes while it is read back is no reason to exit.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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
    mMapped = std::chrono::steady_clock::now();
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

  // What the mapped window showed on the screen from its map until its first
  // complete frame: the window is read back over and over; each picture or
  // size that differs from the one before counts as a frame. Call right
  // after StartAndWaitForMap; needs a script, like FirstFrame.
  struct Frames
  {
    int before = -1;        // frames shown before the complete one (-1: none seen)
    double completeMs = -1; // from the map until the complete frame was first seen
    std::vector<int> sizes; // width and height of each frame up to the complete one
  };
  Frames WatchFrames(const AppSandbox& app)
  {
    Frames r;
    if (!mWindow) return r;
    struct Shot
    {
      int w, h;
      std::string pixels;
      double ms; // first seen, after the map
    };
    std::vector<Shot> shots;
    auto take = [&]
    {
      XWindowAttributes a;
      if (!XGetWindowAttributes(mDisplay, mWindow, &a)) return;
      XImage* image = XGetImage(mDisplay, mWindow, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
      if (!image) return;
      Shot s{a.width, a.height,
             std::string(image->data, (size_t)image->bytes_per_line * image->height),
             std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mMapped)
                 .count()};
      XDestroyImage(image);
      if (shots.empty() || shots.back().w != s.w || shots.back().h != s.h ||
          shots.back().pixels != s.pixels)
        shots.push_back(std::move(s));
    };
    // Until the program reports its complete frame, and a while after, so
    // that the complete frame is surely on the screen.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (app.OutputSoFar().find("script: first paint ") == std::string::npos &&
           std::chrono::steady_clock::now() < end)
      take();
    const auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < settle) take();
    if (shots.empty()) return r;
    // The complete frame is the last one; the frames before its first
    // showing were something else.
    const Shot& complete = shots.back();
    for (r.before = 0; shots[r.before].w != complete.w || shots[r.before].h != complete.h ||
                       shots[r.before].pixels != complete.pixels;)
      ++r.before;
    r.completeMs = shots[r.before].ms;
    for (int i = 0; i <= r.before; ++i) r.sizes.insert(r.sizes.end(), {shots[i].w, shots[i].h});
    return r;
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
  long long mStartUs = 0;                        // the last start on the monotonic clock
  std::chrono::steady_clock::time_point mMapped; // when the last map was seen
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
