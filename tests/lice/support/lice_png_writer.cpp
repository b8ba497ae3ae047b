// PNG writing for tests, through libpng.
#include "lice_png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>

namespace pngw
{
namespace
{
int Channels(int colorType)
{
  return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
}

void Append(png_structp png, png_bytep data, size_t len)
{
  auto* out = (std::vector<unsigned char>*)png_get_io_ptr(png);
  out->insert(out->end(), data, data + len);
}
void Flush(png_structp) {}

// A row's samples packed most significant bit first, at the file's depth.
std::vector<unsigned char> PackRow(const Image& img, int y)
{
  const int depth = img.bitDepth;
  const size_t n = (size_t)img.width * Channels(img.colorType);
  const uint16_t* s = &img.samples[(size_t)y * n];
  std::vector<unsigned char> row((n * depth + 7) / 8, 0);
  for (size_t i = 0; i < n; ++i)
    for (int b = 0; b < depth; ++b)
      if (s[i] >> (depth - 1 - b) & 1) row[(i * depth + b) / 8] |= 0x80 >> ((i * depth + b) % 8);
  return row;
}

void Put32(std::vector<unsigned char>& v, uint32_t x)
{
  for (int i = 3; i >= 0; --i) v.push_back((unsigned char)(x >> (8 * i)));
}

void Chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& d)
{
  Put32(out, (uint32_t)d.size());
  std::vector<unsigned char> body(type, type + 4);
  body.insert(body.end(), d.begin(), d.end());
  out.insert(out.end(), body.begin(), body.end());
  Put32(out, (uint32_t)crc32(0, body.data(), (uInt)body.size()));
}

// The signature and a header chunk for w x h, RGBA of 8 bits.
std::vector<unsigned char> Header(uint32_t w, uint32_t h)
{
  std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'}, ihdr;
  Put32(ihdr, w);
  Put32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  return out;
}
} // namespace

Image MakeTestImage(int colorType, int bitDepth, bool withTrns, bool interlace, int w, int h)
{
  Image img;
  img.width = w, img.height = h, img.colorType = colorType, img.bitDepth = bitDepth;
  img.interlace = interlace;
  const int ch = Channels(colorType);
  const uint32_t maxv = (1u << bitDepth) - 1;
  const uint32_t entries = colorType == 3 ? (1u << bitDepth) : 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < ch; ++c)
      {
        // A different walk through the value range for every channel.
        uint32_t v = (uint32_t)(x * 37 + y * 101 + c * 59) * (bitDepth == 16 ? 997u : 7u);
        img.samples.push_back((uint16_t)(colorType == 3 ? v % entries : v % (maxv + 1)));
      }
  for (uint32_t i = 0; i < entries; ++i)
    img.palette.insert(img.palette.end(),
                       {(uint8_t)(i * 53 + 7), (uint8_t)(255 - i * 3), (uint8_t)(i * 11)});
  // Palettes: fewer alphas than entries, the rest stay opaque. Others: the
  // colour of the first pixel, so that some pixels are transparent.
  if (withTrns && colorType == 3)
    for (uint32_t i = 0; i < (entries + 1) / 2; ++i) img.trns.push_back((uint16_t)(i * 40 % 256));
  else if (withTrns)
    img.trns.assign(img.samples.begin(), img.samples.begin() + ch);
  return img;
}

std::vector<unsigned char> Encode(const Image& img)
{
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return out;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, &info);
    out.clear();
    return out;
  }
  png_set_write_fn(png, &out, Append, Flush);
  png_set_IHDR(png, info, (png_uint_32)img.width, (png_uint_32)img.height, img.bitDepth,
               img.colorType, img.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> pal;
  for (size_t i = 0; i + 2 < img.palette.size(); i += 3)
    pal.push_back({img.palette[i], img.palette[i + 1], img.palette[i + 2]});
  if (!pal.empty()) png_set_PLTE(png, info, pal.data(), (int)pal.size());
  std::vector<png_byte> trnsAlpha(img.trns.begin(), img.trns.end());
  png_color_16 trnsColor = {};
  if (img.colorType == 3 && !img.trns.empty())
    png_set_tRNS(png, info, trnsAlpha.data(), (int)trnsAlpha.size(), nullptr);
  else if (!img.trns.empty())
  {
    trnsColor.gray = trnsColor.red = img.trns[0];
    trnsColor.green = img.trns.size() > 1 ? img.trns[1] : 0;
    trnsColor.blue = img.trns.size() > 2 ? img.trns[2] : 0;
    png_set_tRNS(png, info, nullptr, 0, &trnsColor);
  }
  png_write_info(png, info);
  std::vector<std::vector<unsigned char>> rows;
  std::vector<png_bytep> ptrs;
  for (int y = 0; y < img.height; ++y) rows.push_back(PackRow(img, y));
  for (auto& r : rows) ptrs.push_back(r.data());
  png_write_image(png, ptrs.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  return std::fclose(fp) == 0 && ok;
}

std::vector<LICE_Pixel> Expected(const Image& img)
{
  const int ch = Channels(img.colorType), depth = img.bitDepth;
  // Samples widened to 8 bits by repeating their bits; 16 bits keep the high byte.
  auto to8 = [&](uint32_t v) {
    return (int)(depth == 16 ? v >> 8 : depth == 8 ? v : v * 255 / ((1u << depth) - 1));
  };
  std::vector<LICE_Pixel> px;
  for (size_t p = 0; p < (size_t)img.width * img.height; ++p)
  {
    const uint16_t* s = &img.samples[p * ch];
    const bool grey = img.colorType == 0 || img.colorType == 4;
    int r = to8(s[0]), g = to8(grey ? s[0] : s[1]), b = to8(grey ? s[0] : s[2]), a = 255;
    if (img.colorType == 3)
    {
      r = img.palette[s[0] * 3], g = img.palette[s[0] * 3 + 1], b = img.palette[s[0] * 3 + 2];
      if (s[0] < img.trns.size()) a = img.trns[s[0]];
    }
    else if (img.colorType & 4)
      a = to8(s[ch - 1]);
    else if (!img.trns.empty() && std::equal(img.trns.begin(), img.trns.end(), s))
      a = 0; // the transparent colour
    px.push_back(LICE_RGBA(r, g, b, a));
  }
  return px;
}

std::vector<unsigned char> HeaderOnly(uint32_t w, uint32_t h)
{
  std::vector<unsigned char> out = Header(w, h);
  // A valid zlib stream of a few zero bytes.
  unsigned char raw[64] = {0}, z[128];
  uLongf zlen = sizeof(z);
  compress(z, &zlen, raw, sizeof(raw));
  Chunk(out, "IDAT", std::vector<unsigned char>(z, z + zlen));
  Chunk(out, "IEND", {});
  return out;
}

std::vector<unsigned char> OversizedChunk(const char* type, uint32_t declaredLength)
{
  std::vector<unsigned char> out = Header(1, 1);
  Put32(out, declaredLength);
  out.insert(out.end(), type, type + 4);
  out.push_back('x');
  return out;
}

std::vector<unsigned char> WithChunk(std::vector<unsigned char> png, const char* type,
                                     const std::vector<unsigned char>& data)
{
  std::vector<unsigned char> chunk;
  Chunk(chunk, type, data);
  png.insert(png.begin() + 33, chunk.begin(), chunk.end()); // after the signature and IHDR
  return png;
}
} // namespace pngw
