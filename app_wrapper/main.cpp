// Process entry: the window layer runs the application and reports its life
// to SWELLAppMain.
#include "app_main.h"

namespace
{
// The window layer finds SWELLAppMain by name; naming it here as well makes
// the linker take the host's code into the program.
INT_PTR (*volatile sAppMain)(int, INT_PTR, INT_PTR) = SWELLAppMain;
} // namespace

int main(int argc, char** argv)
{
  if (!sAppMain) return 1;
  return SWELL_ApplicationMain(argc, argv);
}
