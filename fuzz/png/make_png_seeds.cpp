// Writes the PNG fuzz target's seed corpus into the folder given.
#include "png_seeds.h"

#include "lice_png_writer.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  const auto seeds = MakePngSeeds();
  for (size_t i = 0; i < seeds.size(); ++i)
  {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(i) + ".png";
    if (!pngw::WriteFile(path, seeds[i]))
    {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
