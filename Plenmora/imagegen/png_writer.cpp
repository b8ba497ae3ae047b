// PNG writing through libpng, at the highest compression: the pictures are
// committed to the repository.
#include "png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace
{
// libpng's error return leaves through longjmp: nothing here may need a
// destructor between setjmp and the end of writing.
bool WriteRows(FILE* fp, int w, int h, bool withAlpha, png_bytep* rows)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, fp);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}
} // namespace

bool WritePNG(const char* path, LICE_IBitmap* bmp, bool withAlpha)
{
  if (!path || !bmp || !bmp->getBits() || bmp->getWidth() < 1 || bmp->getHeight() < 1) return false;
  const int w = bmp->getWidth(), h = bmp->getHeight(), ch = withAlpha ? 4 : 3;
  std::vector<png_byte> bytes((size_t)w * h * ch);
  std::vector<png_bytep> rows((size_t)h);
  for (int y = 0; y < h; ++y)
  {
    png_bytep out = rows[(size_t)y] = &bytes[(size_t)y * w * ch];
    for (int x = 0; x < w; ++x, out += ch)
    {
      const LICE_Pixel p = LICE_GetPixel(bmp, x, y);
      out[0] = (png_byte)LICE_GETR(p);
      out[1] = (png_byte)LICE_GETG(p);
      out[2] = (png_byte)LICE_GETB(p);
      if (withAlpha) out[3] = (png_byte)LICE_GETA(p);
    }
  }
  FILE* fp = std::fopen(path, "wb");
  if (!fp) return false;
  const bool written = WriteRows(fp, w, h, withAlpha, rows.data());
  const bool closed = std::fclose(fp) == 0;
  if (written && closed) return true;
  std::remove(path);
  return false;
}
