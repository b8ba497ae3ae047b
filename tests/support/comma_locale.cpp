// Runs a test program in a language that writes numbers with a decimal comma.
// When PLENMORA_TEST_LOCALE names such a locale ("de_DE.UTF-8"), it is made
// with localedef in a folder of its own before the first test, and the C
// library's locale is taken from the environment, as GTK's start-up takes it
// in the program. Without localedef every test is skipped.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <string>

namespace
{
class CommaLocale : public ::testing::Environment
{
public:
  void SetUp() override
  {
    const char* name = getenv("PLENMORA_TEST_LOCALE");
    if (!name || !*name) return;
    const std::string locale = name;
    if (system("command -v localedef >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "localedef is missing (Debian's libc-bin): nothing runs in " << locale;
    char folder[] = "/tmp/plenmora-locale.XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    mFolder = folder;
    const size_t dot = locale.find('.');
    const std::string make = "localedef -i " + locale.substr(0, dot) + " -f " +
                             locale.substr(dot + 1) + " " + mFolder + "/" + locale;
    ASSERT_EQ(0, system(make.c_str())) << make << " failed: Debian's locales package has the "
                                       << "sources it needs";
    setenv("LOCPATH", folder, 1);
    setenv("LC_ALL", name, 1);
    ASSERT_NE(nullptr, setlocale(LC_ALL, ""));
    ASSERT_STREQ(",", localeconv()->decimal_point) << locale << " has no decimal comma";
  }
  void TearDown() override
  {
    setlocale(LC_ALL, "C");
    std::error_code ec;
    if (!mFolder.empty()) std::filesystem::remove_all(mFolder, ec);
  }

private:
  std::string mFolder;
};

::testing::Environment* const gCommaLocale = ::testing::AddGlobalTestEnvironment(new CommaLocale);
} // namespace
