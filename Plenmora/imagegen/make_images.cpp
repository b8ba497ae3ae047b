// Draws the editor's pictures into a folder (the effect's resources/img):
//   plenmora_make_images FOLDER
#include "editor_images.h"

#include <cstdio>

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  return editor_images::WriteAll(argv[1]) ? 0 : 1;
}
