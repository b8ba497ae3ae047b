// The application as a desktop user meets it: installed with its desktop
// entry, started from that entry, its window found, looked at and driven
// with real X input events (xdotool), and closed from the keyboard.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "app_runner.h"

namespace
{
// Waits for a visible window with that exact title; "" when none came.
std::string FindWindow(const std::string& title)
{
  return RunCommand("timeout 20 xdotool search --sync --onlyvisible --name '^" + title +
                    "$' 2>/dev/null | head -n 1");
}

std::string WindowIds(const std::string& title)
{
  return RunCommand("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
}

TEST(Desktop, InstallPutsProgramAndDesktopEntryWhereTheDesktopFindsThem)
{
  AppSandbox sandbox;
  const std::string prefix = sandbox.Home() + "/prefix";
  // The build folder holds the executable in app_wrapper/.
  const std::string build = std::filesystem::path(PLENMORA_EXE).parent_path().parent_path();
  int status = -1;
  const std::string log =
      RunCommand("cmake --install '" + build + "' --prefix '" + prefix + "' 2>&1", &status);
  ASSERT_EQ(0, status) << log;
  EXPECT_EQ(0, access((prefix + "/bin/Plenmora").c_str(), X_OK));
  const std::string entry = ReadFile(prefix + "/share/applications/Plenmora.desktop");
  for (const char* line : {"[Desktop Entry]\n", "\nName=Plenmora\n", "\nType=Application\n"})
    EXPECT_NE(std::string::npos, entry.find(line)) << line;

  // Start it the way the desktop does: the entry's Exec line, the installed
  // program found through PATH.
  const size_t exec = entry.find("\nExec=");
  ASSERT_NE(std::string::npos, exec);
  const std::string command = entry.substr(exec + 6, entry.find('\n', exec + 6) - exec - 6);
  const std::string script = sandbox.Home() + "/script.txt";
  WriteFile(script, "wait 200\nstream\nmenu 40007\n");
  const std::string out =
      RunCommand("cd '" + sandbox.Home() + "' && HOME='" + sandbox.Home() + "' XDG_CONFIG_HOME='" +
                     sandbox.Home() + "/.config' PLENMORA_TEST_SCRIPT='" + script + "' PATH='" +
                     prefix + "/bin:/usr/bin:/bin' timeout 60 " + command,
                 &status);
  EXPECT_EQ(0, status) << out;
  EXPECT_NE(std::string::npos, out.find("script: stream open=1 running=1")) << out;
}

TEST(Desktop, WindowWithMenuBarAboutBoxAndQuitFromTheKeyboard)
{
  AppSandbox app;
  app.Start({});
  const std::string wid = FindWindow("Plenmora");
  ASSERT_NE("", wid) << app.OutputSoFar();

  // The window is the editor's size with the menu bar above it.
  int w = 0, h = 0;
  sscanf(RunCommand("xdotool getwindowgeometry " + wid + " | sed -n 's/.*Geometry: //p'").c_str(),
         "%dx%d", &w, &h);
  EXPECT_TRUE(w == 620 && h > 580 && h < 580 + 60) << w << "x" << h;

  // Help > About with the keyboard. The open menu and then the message box
  // are further visible windows titled Plenmora; Return closes the box.
  auto other = [&](const std::string& besides)
  {
    std::istringstream ids(WindowIds("Plenmora"));
    std::string id;
    while (std::getline(ids, id))
      if (id != wid && id != besides) return id;
    return std::string();
  };
  std::string menu, box;
  RunCommand("xdotool windowfocus --sync " + wid + " key alt+h");
  ASSERT_TRUE(WaitUntil([&] { return (menu = other("")) != ""; }, 10000)) << "no menu";
  RunCommand("xdotool key Return");
  ASSERT_TRUE(WaitUntil([&] { return (box = other(menu)) != ""; }, 10000)) << "no about box";
  RunCommand("xdotool windowfocus --sync " + box + " key Return");
  EXPECT_TRUE(WaitUntil([&] { return other("") == ""; }, 10000));

  // Ctrl+, opens the preferences dialog; Esc cancels it.
  RunCommand("xdotool windowfocus --sync " + wid + " key ctrl+comma");
  EXPECT_TRUE(WaitUntil([&] { return WindowIds("Preferences") != ""; }, 10000))
      << "no preferences dialog";
  RunCommand("xdotool windowfocus --sync " + WindowIds("Preferences") + " key Escape");
  EXPECT_TRUE(WaitUntil([&] { return WindowIds("Preferences") == ""; }, 10000));

  // Ctrl+Q quits.
  RunCommand("xdotool windowfocus --sync " + wid + " key ctrl+q");
  AppResult r = app.Wait(20);
  ASSERT_TRUE(r.exited) << r.out << r.err;
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ(1, r.Count("trying to start audio stream")) << r.out;
}
} // namespace
