// The application installed with its desktop entry and started from that
// entry as the desktop does. (Its window, menus and keys are in the editor
// test's run.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

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
} // namespace
