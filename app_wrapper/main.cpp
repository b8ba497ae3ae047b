// Process entry: the window layer runs the application and reports its life
// to SWELLAppMain.
#include <cstdlib>

#include "Plenmora.h"
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
  // The program draws into memory and puts pixels on screen with cairo: GDK
  // need not load the system's GL stack, unless the user asks for it.
  setenv("GDK_GL", "disable", 0);
  // Decoding the editor's pictures takes longer than anything else before the
  // window shows; it runs beside the toolkit's start.
  PreloadPlugPictures();
  return SWELL_ApplicationMain(argc, argv);
}
