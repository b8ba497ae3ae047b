// The application installed with its desktop entry and started from that
// entry as the desktop does, and started on a display that hangs up its
// first connection, as a busy X server does now and then. (Its window, menus
// and keys are in the editor test's run.)
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "app_runner.h"

namespace
{
TEST(Desktop, InstallPutsProgramAndDesktopEntryWhereTheDesktopFindsThem)
{
  AppSandbox app;
  const std::string prefix = app.Home() + "/prefix";
  // The build folder holds the executable in app_wrapper/.
  const std::string build = std::filesystem::path(PLENMORA_EXE).parent_path().parent_path();
  const std::string log = app.Home() + "/install.log";
  ASSERT_EQ(0, EndProcess(Spawn("cmake --install '" + build + "' --prefix '" + prefix + "' >" +
                                log + " 2>&1"),
                          0, 120000))
      << ReadFile(log);
  const std::string entry = ReadFile(prefix + "/share/applications/Plenmora.desktop");

  // The entry's Exec line, the installed program found through PATH.
  const size_t exec = entry.find("\nExec=");
  ASSERT_NE(std::string::npos, exec);
  const std::string command = entry.substr(exec + 6, entry.find('\n', exec + 6) - exec - 6);
  app.Start({"wait 200", "stream", "menu 40007"},
            "env PATH='" + prefix + "/bin:/usr/bin:/bin' " + command);
  const AppResult r = app.Wait();
  EXPECT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ("stream open=1 running=1", r.ScriptLine("stream")) << r.out;
}

// A display of its own in front of the test's X server: it hangs up the
// first connection at once, then passes each later one on to the X server.
class HangingUpDisplay
{
public:
  HangingUpDisplay()
  {
    const char* real = getenv("DISPLAY");
    const char* number = real ? strchr(real, ':') : nullptr;
    mServer = "/tmp/.X11-unix/X" + std::to_string(number ? atoi(number + 1) : 0);
    mListener = socket(AF_UNIX, SOCK_STREAM, 0);
    for (mNumber = 700 + getpid() % 200; mNumber < 1000; ++mNumber)
      if (Bind(mListener, Path())) break;
    if (mNumber < 1000 && listen(mListener, 16) == 0) mThread = std::thread([this] { Serve(); });
  }
  ~HangingUpDisplay()
  {
    mStop = true;
    if (mThread.joinable()) mThread.join();
    close(mListener);
    unlink(Path().c_str());
  }
  bool IsUp() const { return mThread.joinable(); }
  std::string Name() const { return ":" + std::to_string(mNumber); }

private:
  std::string Path() const { return "/tmp/.X11-unix/X" + std::to_string(mNumber); }
  static bool Bind(int fd, const std::string& path)
  {
    sockaddr_un a = {};
    a.sun_family = AF_UNIX;
    snprintf(a.sun_path, sizeof(a.sun_path), "%s", path.c_str());
    return access(path.c_str(), F_OK) != 0 && bind(fd, (sockaddr*)&a, sizeof(a)) == 0;
  }
  // Accepts connections and copies bytes both ways between each and its own
  // connection to the X server, until the test ends.
  void Serve()
  {
    std::vector<pollfd> fds = {{mListener, POLLIN, 0}}; // then client, server pairs
    bool hungUp = false;
    while (!mStop)
    {
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      if (fds[0].revents & POLLIN)
      {
        const int client = accept(mListener, nullptr, nullptr);
        const int server = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un a = {};
        a.sun_family = AF_UNIX;
        snprintf(a.sun_path, sizeof(a.sun_path), "%s", mServer.c_str());
        if (!hungUp || connect(server, (sockaddr*)&a, sizeof(a)) != 0)
          close(client), close(server);
        else
          fds.push_back({client, POLLIN, 0}), fds.push_back({server, POLLIN, 0});
        hungUp = true;
      }
      for (size_t i = 1; i < fds.size(); ++i)
      {
        if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
        char buf[65536];
        const ssize_t n = read(fds[i].fd, buf, sizeof(buf));
        const int to = fds[i % 2 ? i + 1 : i - 1].fd;
        if (n > 0 && write(to, buf, n) == n) continue;
        close(fds[i].fd), close(to); // one side went: so does the other
        fds.erase(fds.begin() + (i % 2 ? i : i - 1), fds.begin() + (i % 2 ? i + 2 : i + 1));
        break;
      }
    }
    for (size_t i = 1; i < fds.size(); ++i) close(fds[i].fd);
  }

  std::string mServer;
  int mListener = -1, mNumber = 0;
  std::atomic<bool> mStop{false};
  std::thread mThread;
};

TEST(Desktop, StartsOnADisplayThatHangsUpItsFirstConnection)
{
  HangingUpDisplay display;
  ASSERT_TRUE(display.IsUp());
  EnvScope name("DISPLAY", display.Name().c_str());
  AppSandbox app;
  const AppResult r = app.Run({"print started", "menu 40007"});
  EXPECT_TRUE(r.ok) << r.out << r.err;
  EXPECT_EQ("started", r.ScriptLine("started")) << r.err;
}
} // namespace
