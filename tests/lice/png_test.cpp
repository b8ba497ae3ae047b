// PNG loading from real files and buffers: every colour type and bit depth,
// with and without transparency, into new, given and flipped bitmaps; one
// table of input that is refused.
#include "lice.h"
#include "lice_png_writer.h"
#include "lice_reference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// A folder of the test's own, removed at the end.
struct TempDir
{
  std::string path;
  TempDir()
  {
    char tmpl[] = "/tmp/lice_png_test.XXXXXX";
    path = mkdtemp(tmpl) ? tmpl : "/nonexistent";
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

} // namespace

TEST(Png, EveryColourTypeAndDepthDecodesToAlphaRedGreenBlue)
{
  TempDir dir;
  int files = 0;
  for (const pngw::Kind& k : pngw::kKinds)
    for (bool trns : {false, true})
      for (bool interlace : {false, true})
      {
        // Grey and RGB with alpha have no transparency chunk.
        if (trns && (k.colorType & 4)) continue;
        const pngw::Image img = pngw::MakeTestImage(k.colorType, k.bitDepth, trns, interlace);
        SCOPED_TRACE(testing::Message() << "colour type " << k.colorType << ", " << k.bitDepth
                                        << " bits, tRNS " << trns << ", interlaced " << interlace);
        const auto bytes = pngw::Encode(img);
        const std::string path = dir / ("img" + std::to_string(files++) + ".png");
        ASSERT_TRUE(pngw::WriteFile(path, bytes));
        const auto want = pngw::Expected(img);
        EXPECT_TRUE(!trns || LICE_GETA(want[0]) == 0) << "the key colour is transparent";

        // A new bitmap from memory; from the file, upright in a given
        // bottom-up bitmap of another size. The memory form writes the top
        // row into the first memory row of a bottom-up bitmap.
        std::unique_ptr<LICE_IBitmap> mem(
            LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), nullptr));
        ASSERT_NE(mem, nullptr);
        EXPECT_EQ(mem->getRowSpan(), 16) << "line alignment 4";
        EXPECT_EQ(ref::Pixels(mem.get()), want);
        ref::FlippedBitmap flipped(50, 2), flippedMem(1, 1);
        EXPECT_EQ(LICE_LoadPNG(path.c_str(), &flipped), &flipped);
        EXPECT_EQ(flipped.getWidth(), img.width);
        EXPECT_EQ(ref::Pixels(&flipped), want);
        EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &flippedMem),
                  &flippedMem);
        EXPECT_EQ(flippedMem.getBits()[0], want[0]);
      }
  EXPECT_GT(files, 20);

  // Text, profile, suggested-palette, Exif and calibration chunks, one of
  // them above the 8 MB a chunk may claim, are passed over unread.
  const pngw::Image img = pngw::MakeTestImage(3, 8, true, false);
  auto bytes = pngw::Encode(img);
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL"})
    bytes =
        pngw::WithChunk(bytes, type, std::vector<unsigned char>(type[1] == 'E' ? 9 << 20 : 100));
  std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size()));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(ref::Pixels(bm.get()), pngw::Expected(img));
}

// Refused input gives null and no crash. Sizes over the limits (sides above
// 65536, or more than 256 MB: 46341^2 * 4 bytes wraps around in 32 bits,
// 65536^2 * 4 to 0) and bad chunk lengths are refused before a given bitmap
// is sized; a few bytes that claim a chunk of 2 GB cost no memory. Data cut
// short reads as zeros, which libpng refuses before the image is complete
// (the final chunk, 12 bytes, is not needed). The header alone gives the
// size of every file that has one, within the limits or not.
TEST(Png, RefusedInput)
{
  TempDir dir;
  const auto good = pngw::Encode(pngw::MakeTestImage(2, 8, false, false));
  auto broken = good;
  broken[broken.size() - 20] ^= 0x55;
  const std::string gif = "GIF89a and then some more bytes";
  struct Case
  {
    std::string what;
    std::vector<unsigned char> bytes;
    bool beforeSizing;
    int headerW, headerH; // 0: no header to read
  };
  std::vector<Case> cases = {
      {"not a PNG", {gif.begin(), gif.end()}, true, 0, 0},
      {"corrupted image data", broken, false, 13, 7},
      {"a header within the limits, no image data", pngw::HeaderOnly(16384, 2), false, 16384, 2}};
  for (auto [w, h] : {std::pair{46341u, 46341u},
                      {65536u, 65536u},
                      {100000u, 100000u},
                      {65537u, 1u},
                      {1u, 65537u},
                      {16384u, 4097u}})
    cases.push_back({std::to_string(w) + " x " + std::to_string(h), pngw::HeaderOnly(w, h), true,
                     (int)w, (int)h});
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL"})
    cases.push_back(
        {std::string(type) + " of 2 GB", pngw::OversizedChunk(type, 0x7fffffff), true, 1, 1});
  for (size_t n = 0; n < good.size() - 12; ++n)
    cases.push_back({"cut at " + std::to_string(n),
                     {good.begin(), good.begin() + n},
                     n < 33,
                     n < 33 ? 0 : 13,
                     n < 33 ? 0 : 7});
  rusage before = {}, after = {};
  getrusage(RUSAGE_SELF, &before);
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(pngw::WriteFile(dir / "bad.png", c.bytes));
    EXPECT_EQ(LICE_LoadPNG((dir / "bad.png").c_str(), nullptr), nullptr);
    EXPECT_EQ(LICE_LoadPNGFromMemory(c.bytes.data(), (int)c.bytes.size(), nullptr), nullptr);
    // A given bitmap is released with the decode only if the loader made it.
    LICE_MemBitmap given(2, 2, 4);
    EXPECT_EQ(LICE_LoadPNGFromMemory(c.bytes.data(), (int)c.bytes.size(), &given), nullptr);
    EXPECT_TRUE(!c.beforeSizing || given.getWidth() == 2);
    int w = 0, h = 0;
    EXPECT_EQ(LICE_GetPNGSize((dir / "bad.png").c_str(), &w, &h), c.headerW > 0);
    EXPECT_EQ(std::pair(w, h), std::pair(c.headerW, c.headerH));
  }
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kB more at the peak";

  // Only regular files are read, and opening one never waits: a FIFO that
  // nobody writes to, a folder and a device are unreadable at once (a loader
  // that waits for a writer is ended by the alarm), and so is a FIFO that
  // holds a PNG.
  const std::string fifo = dir / "fifo.png";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  alarm(30);
  for (const std::string& path : {fifo, dir.path, std::string("/dev/zero")})
  {
    int w = 0, h = 0;
    EXPECT_EQ(LICE_LoadPNG(path.c_str(), nullptr), nullptr) << path;
    EXPECT_FALSE(LICE_GetPNGSize(path.c_str(), &w, &h)) << path;
  }
  alarm(0);
  const int filled = open(fifo.c_str(), O_RDWR);
  ASSERT_EQ(write(filled, good.data(), good.size()), (ssize_t)good.size());
  int w = 0, h = 0;
  EXPECT_EQ(LICE_LoadPNG(fifo.c_str(), nullptr), nullptr);
  EXPECT_FALSE(LICE_GetPNGSize(fifo.c_str(), &w, &h));
  close(filled);

  EXPECT_FALSE(LICE_GetPNGSize((dir / "missing.png").c_str(), &w, &h));
  EXPECT_FALSE(LICE_GetPNGSize(nullptr, &w, &h));
  EXPECT_EQ(LICE_LoadPNG((dir / "missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNG(nullptr, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(good.data(), -5, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromResource(nullptr, 1, nullptr), nullptr);
}
