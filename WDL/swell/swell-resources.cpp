// The application's resource folder.
#include "swell-resources.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#ifndef PLENMORA_DATADIR
#define PLENMORA_DATADIR "/usr/local/share/Plenmora/resources"
#endif

namespace
{
bool IsFolder(const std::string& path)
{
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExecutableFolder()
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return std::string();
  std::string exe(buf, (size_t)n);
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}
} // namespace

const char* SWELL_GetResourcePath()
{
  thread_local std::string path;
  const char* env = std::getenv("PLENMORA_RESOURCES");
  if (env && *env)
  {
    path = env;
  }
  else
  {
    path = ExecutableFolder() + "/resources";
    if (!IsFolder(path)) path = PLENMORA_DATADIR;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path.c_str();
}
