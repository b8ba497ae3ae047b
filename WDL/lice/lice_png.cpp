// PNG loading through libpng into 32-bit bitmaps (bytes A, R, G, B).
//
// A PNG is untrusted input: every libpng error returns to one point per call
// and everything made for the call is released there. What a file can make
// the loader allocate is bounded: the ancillary chunks (text, profiles,
// palettes of suggestions, Exif, ...) are skipped unread, as nothing here
// uses them; no single chunk may claim more than kMaxChunkBytes; an image of
// more than kMaxImageBytes, or with a side above kMaxImageSide (room for
// long strips of frames), is refused before any bitmap is sized for it.
// Files are opened only when they are regular files, and without waiting: a
// FIFO or a device where a picture should be is an unreadable picture, not a
// read that blocks until someone writes.
#include "lice.h"

#include "../swell/swell-resources.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

LICE_ImageLoaderEntry* LICE_ImageLoader_list = nullptr;
LICE_PNGLoader LICE_pngldr;

namespace
{
const char kLibpngVersion[] = "1.6.8";

const png_alloc_size_t kMaxChunkBytes = 8 << 20;
const png_uint_32 kMaxImageSide = 65536;
const unsigned long long kMaxImageBytes = 256ull << 20;

struct ReadCursor
{
  const unsigned char* data;
  int left;
  // Zero bytes delivered past the end so far.
  size_t overrun;
};

// A read past the end of a buffer delivers zeros, so that data cut short
// fails the way libpng sees fit. But a chunk length in a hostile file can
// ask for gigabytes to be skipped; beyond this many zeros it is an error.
const size_t kMaxOverrun = 1 << 20;

// What a decode made, kept where a longjmp out of libpng leaves it readable.
struct DecodeState
{
  LICE_IBitmap* volatile created = nullptr;
  png_bytep* volatile rows = nullptr;
};

void FreeDecodeState(DecodeState* st)
{
  std::free(st->rows);
  st->rows = nullptr;
  delete st->created;
  st->created = nullptr;
}

// Reads the header, requests the transformations to 8-bit A, R, G, B and
// sizes the target bitmap. Returns the bitmap, or null when it cannot take
// the image's size. libpng errors longjmp out of here.
LICE_IBitmap* PrepareDecode(png_structp png, png_infop info, LICE_IBitmap* bmp, DecodeState* st,
                            png_uint_32* height)
{
  png_read_info(png, info);
  png_uint_32 width = 0;
  int bit_depth = 0, color_type = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(png, info, &width, height, &bit_depth, &color_type, &interlace, &compression,
               &filter);

  if (color_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (color_type == PNG_COLOR_TYPE_GRAY && bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(png);
    color_type |= PNG_COLOR_MASK_ALPHA;
  }
  if (bit_depth == 16) png_set_strip_16(png);
  if (bit_depth < 8) png_set_packing(png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if (color_type & PNG_COLOR_MASK_ALPHA)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xff, PNG_FILLER_BEFORE);

  // libpng has refused sides above kMaxImageSide; the bitmap refuses what
  // it cannot hold (its size then stays apart from the image's).
  if ((unsigned long long)width * *height * sizeof(LICE_Pixel) > kMaxImageBytes) return nullptr;
  const int w = (int)width, h = (int)*height;
  if (bmp)
  {
    bmp->resize(w, h);
  }
  else
  {
    st->created = new LICE_MemBitmap(w, h, 4);
    bmp = st->created;
  }
  if (bmp->getWidth() != w || bmp->getHeight() != h || !bmp->getBits()) return nullptr;
  return bmp;
}

// Row table: rows top-down from the first memory row, or (flipFromEnd on a
// flipped bitmap) from the last memory row upward.
bool MakeRows(LICE_IBitmap* bmp, png_uint_32 height, bool flipFromEnd, DecodeState* st)
{
  st->rows = (png_bytep*)std::malloc(sizeof(png_bytep) * (size_t)height);
  if (!st->rows) return false;
  LICE_Pixel* start = bmp->getBits();
  long long step = bmp->getRowSpan();
  if (flipFromEnd && bmp->isFlipped())
  {
    start += (long long)(bmp->getHeight() - 1) * step;
    step = -step;
  }
  for (png_uint_32 i = 0; i < height; ++i) st->rows[i] = (png_bytep)(start + (long long)i * step);
  return true;
}

void StaticPngReadFunc(png_structp png, png_bytep out, png_size_t length)
{
  ReadCursor* cur = (ReadCursor*)png_get_io_ptr(png);
  size_t n = cur->left > 0 ? (size_t)cur->left : 0;
  if (length < n) n = length;
  // Refused before the output is touched: it may be a huge allocation that
  // is not backed by memory yet.
  if (length - n > kMaxOverrun - cur->overrun) png_error(png, "Read past the end of the data");
  cur->overrun += length - n;
  std::memset(out, 0, length);
  if (n)
  {
    std::memcpy(out, cur->data, n);
    cur->data += n;
    cur->left -= (int)n;
  }
}

// A regular file opened for reading, or null.
FILE* OpenRegularFile(const char* filename)
{
  if (!filename) return nullptr;
  const int fd = open(filename, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  FILE* fp = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? fdopen(fd, "rb") : nullptr;
  if (!fp) close(fd);
  return fp;
}

// Only the image's own chunks (IHDR, PLTE, tRNS, IDAT, IEND) are read.
void LimitChunks(png_structp png)
{
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
}

// The decode common to both forms; input set up by setupInput.
template <class SetupInput>
LICE_IBitmap* Decode(LICE_IBitmap* bmp, bool flipFromEnd, SetupInput setupInput)
{
  png_structp png = png_create_read_struct(kLibpngVersion, nullptr, nullptr, nullptr);
  if (!png) return nullptr;
  png_infop info = png_create_info_struct(png);
  if (!info)
  {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return nullptr;
  }
  DecodeState st;
  if (setjmp(*png_set_longjmp_fn(png, longjmp, sizeof(jmp_buf))))
  {
    png_destroy_read_struct(&png, &info, nullptr);
    FreeDecodeState(&st);
    return nullptr;
  }
  LimitChunks(png);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  setupInput(png);
  png_uint_32 height = 0;
  LICE_IBitmap* target = PrepareDecode(png, info, bmp, &st, &height);
  if (!target || !MakeRows(target, height, flipFromEnd, &st))
  {
    png_destroy_read_struct(&png, &info, nullptr);
    FreeDecodeState(&st);
    return nullptr;
  }
  png_read_image(png, st.rows);
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(st.rows);
  return target;
}
} // namespace

LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp)
{
  FILE* fp = OpenRegularFile(filename);
  if (!fp) return nullptr;
  LICE_IBitmap* ret = Decode(bmp, true, [fp](png_structp png) { png_init_io(png, fp); });
  std::fclose(fp);
  return ret;
}

bool LICE_GetPNGSize(const char* filename, int* width, int* height)
{
  FILE* fp = OpenRegularFile(filename);
  if (!fp) return false;
  png_structp png = png_create_read_struct(kLibpngVersion, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // Sides up to libpng's own limit (a million) are read; nothing is
  // allocated for them. The header gives the size also when what follows it
  // is damaged.
  int w = 0, h = 0;
  if (info)
  {
    if (!setjmp(*png_set_longjmp_fn(png, longjmp, sizeof(jmp_buf))))
    {
      LimitChunks(png);
      png_init_io(png, fp);
      png_read_info(png, info);
    }
    w = (int)png_get_image_width(png, info);
    h = (int)png_get_image_height(png, info);
  }
  png_destroy_read_struct(png ? &png : nullptr, info ? &info : nullptr, nullptr);
  std::fclose(fp);
  if (w <= 0 || h <= 0) return false;
  *width = w;
  *height = h;
  return true;
}

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int buflen, LICE_IBitmap* bmp)
{
  if (!data || buflen < 8 || png_sig_cmp((png_const_bytep)data, 0, 8)) return nullptr;
  ReadCursor cursor = {(const unsigned char*)data, buflen, 0};
  return Decode(bmp, false,
                [&cursor](png_structp png) { png_set_read_fn(png, &cursor, StaticPngReadFunc); });
}

LICE_IBitmap* LICE_LoadPNGFromResource(void* hInst, int resid, LICE_IBitmap* bmp)
{
  (void)hInst;
  (void)resid;
  (void)bmp;
  return nullptr;
}

LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp)
{
  if (!name || std::strlen(name) > 400) return nullptr;
  char path[2048];
  const char* folder = SWELL_GetResourcePath();
  if (!folder || !*folder || std::strlen(folder) > 1536) return nullptr;
  std::snprintf(path, sizeof(path), "%s/%s", folder, name);
  return LICE_LoadPNG(path, bmp);
}

LICE_PNGLoader::LICE_PNGLoader()
{
  rec.loadfunc = loadfunc;
  rec.get_extlist = get_extlist;
  rec._next = LICE_ImageLoader_list;
  LICE_ImageLoader_list = &rec;
}

LICE_IBitmap* LICE_PNGLoader::loadfunc(const char* filename, bool checkFileName,
                                       LICE_IBitmap* bmpbase)
{
  if (!filename) return nullptr;
  if (checkFileName)
  {
    const char* p = filename + std::strlen(filename);
    while (p > filename && *p != '\\' && *p != '/' && *p != '.') --p;
    if (strcasecmp(p, ".png")) return nullptr;
  }
  return LICE_LoadPNG(filename, bmpbase);
}

const char* LICE_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0\0"; }
