// PNG loading from real files and buffers: every colour type and bit depth,
// with and without transparency, into new, given and flipped bitmaps; bad
// input; named resources.
#include "lice.h"
#include "lice_png_writer.h"
#include "lice_reference.h"
#include "swell-resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace
{
class TempDir
{
public:
  TempDir()
  {
    char tmpl[] = "/tmp/lice_png_test.XXXXXX";
    const char* p = mkdtemp(tmpl);
    EXPECT_NE(p, nullptr);
    path_ = p ? p : "/tmp";
  }
  ~TempDir()
  {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

std::string Describe(const pngw::Image& img)
{
  return "colour type " + std::to_string(img.colorType) + ", " + std::to_string(img.bitDepth) +
         " bits" + (img.trns.empty() ? "" : ", tRNS") + (img.interlace ? ", interlaced" : "");
}

// A bitmap that refuses every size.
class FixedBitmap : public LICE_MemBitmap
{
public:
  FixedBitmap() : LICE_MemBitmap(3, 3, 4) {}
  bool resize(int, int) override { return false; }
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
        const auto bytes = pngw::Encode(img);
        ASSERT_FALSE(bytes.empty()) << Describe(img);
        const std::string path = dir / ("img" + std::to_string(files++) + ".png");
        ASSERT_TRUE(pngw::WriteFile(path, bytes));
        const auto want = pngw::Expected(img);

        // A new bitmap from the file.
        std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNG(path.c_str(), nullptr));
        ASSERT_NE(bm, nullptr) << Describe(img);
        EXPECT_EQ(bm->getWidth(), img.width);
        EXPECT_EQ(bm->getHeight(), img.height);
        EXPECT_EQ(bm->getRowSpan(), 16) << "line alignment 4";
        EXPECT_EQ(ref::Pixels(bm.get()), want) << Describe(img);

        // The same from memory.
        std::unique_ptr<LICE_IBitmap> mem(
            LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), nullptr));
        ASSERT_NE(mem, nullptr) << Describe(img);
        EXPECT_EQ(ref::Pixels(mem.get()), want) << Describe(img);

        EXPECT_TRUE(!trns || LICE_GETA(want[0]) == 0) << "the key colour is transparent";

        // Upright in a bottom-up bitmap through the file form; the memory
        // form writes the top row into the first memory row.
        ref::FlippedBitmap flipped(1, 1), flippedMem(1, 1);
        EXPECT_EQ(LICE_LoadPNG(path.c_str(), &flipped), &flipped);
        EXPECT_EQ(ref::Pixels(&flipped), want) << Describe(img);
        EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &flippedMem),
                  &flippedMem);
        EXPECT_EQ(flippedMem.getBits()[0], want[0]);

        // Into a given bitmap of another size.
        LICE_MemBitmap given(50, 2, 1);
        EXPECT_EQ(LICE_LoadPNG(path.c_str(), &given), &given);
        EXPECT_EQ(given.getWidth(), img.width);
        EXPECT_EQ(ref::Pixels(&given), want) << Describe(img);
      }
  EXPECT_GT(files, 20);
}

TEST(Png, BadInputReturnsNull)
{
  TempDir dir;
  const pngw::Image img = pngw::MakeTestImage(2, 8, false, false);
  const auto bytes = pngw::Encode(img);

  const char notPng[] = "GIF89a and then some more bytes";
  ASSERT_TRUE(pngw::WriteFile(dir / "text.png", {'h', 'e', 'l', 'l', 'o'}));
  auto broken = bytes;
  broken[broken.size() - 20] ^= 0x55; // corrupted image data
  ASSERT_TRUE(pngw::WriteFile(dir / "broken.png", broken));
  for (const char* name : {"missing.png", "text.png", "broken.png"})
    EXPECT_EQ(LICE_LoadPNG((dir / name).c_str(), nullptr), nullptr) << name;
  EXPECT_EQ(LICE_LoadPNG(nullptr, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), 7, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), -5, nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(notPng, (int)sizeof(notPng), nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(broken.data(), (int)broken.size(), nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromResource(nullptr, 1, nullptr), nullptr);

  // Cut short at every length: the missing bytes read as zeros, which
  // libpng refuses before the image data is complete; never a crash. (The
  // final chunk, 12 bytes, is not needed for the image.)
  for (size_t n = 8; n < bytes.size(); ++n)
  {
    LICE_IBitmap* bm = LICE_LoadPNGFromMemory(bytes.data(), (int)n, nullptr);
    if (n < bytes.size() - 12)
    {
      EXPECT_EQ(bm, nullptr) << n;
    }
    delete bm;
  }
  // A given bitmap that cannot take the size is left alone.
  FixedBitmap fixed;
  EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &fixed), nullptr);
  EXPECT_EQ(fixed.getWidth(), 3);
}

TEST(Png, ImagesAboveTheSizeLimitsAreRefusedBeforeABitmapIsSized)
{
  // Sides above 65536, or more than 256 MB of pixels; 46341 x 46341 x 4
  // bytes would wrap around in 32-bit arithmetic, 65536 x 65536 to 0.
  const uint32_t sides[][2] = {{46341, 46341}, {65536, 65536}, {100000, 100000},
                               {65537, 1},     {1, 65537},     {16384, 4097}};
  for (auto& s : sides)
  {
    const auto bytes = pngw::HeaderOnly(s[0], s[1]);
    EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), nullptr), nullptr)
        << s[0] << " x " << s[1];
    LICE_MemBitmap given(2, 2, 4);
    EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &given), nullptr);
    EXPECT_EQ(given.getWidth(), 2) << s[0] << " x " << s[1];
  }
  // Within the limits, a header with too little data behind it fails as a
  // decode error, releasing the bitmap it made (the leak checker sees the
  // rest).
  const auto small = pngw::HeaderOnly(16384, 2);
  EXPECT_EQ(LICE_LoadPNGFromMemory(small.data(), (int)small.size(), nullptr), nullptr);
  LICE_MemBitmap given(2, 2, 4);
  EXPECT_EQ(LICE_LoadPNGFromMemory(small.data(), (int)small.size(), &given), nullptr);
  EXPECT_EQ(given.getWidth(), 16384) << "a given bitmap keeps the new size";
}

// Text, profile, suggested-palette, Exif and calibration chunks are passed
// over unread: the image decodes as without them, and a few bytes that claim
// a chunk of up to 2 GB cost no memory.
TEST(Png, AncillaryChunksAreSkippedUnread)
{
  const pngw::Image img = pngw::MakeTestImage(3, 8, true, false);
  auto bytes = pngw::Encode(img);
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL"})
    bytes = pngw::WithChunk(bytes, type, std::vector<unsigned char>(100, 0xee));
  bytes = pngw::WithChunk(bytes, "tEXt", std::vector<unsigned char>(9 << 20, 'a'));
  std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size()));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(ref::Pixels(bm.get()), pngw::Expected(img));

  rusage before = {}, after = {};
  getrusage(RUSAGE_SELF, &before);
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL"})
  {
    const auto bomb = pngw::OversizedChunk(type, 0x7fffffff);
    EXPECT_EQ(LICE_LoadPNGFromMemory(bomb.data(), (int)bomb.size()), nullptr) << type;
  }
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "kB more at the peak";
}

TEST(Png, NamedResourcesComeFromTheResourceFolder)
{
  TempDir dir;
  const auto bytes = pngw::Encode(pngw::MakeTestImage(6, 8, false, false));
  ASSERT_TRUE(pngw::WriteFile(dir / "knob.png", bytes));
  ASSERT_EQ(setenv("PLENMORA_RESOURCES", (dir.path() + "/").c_str(), 1), 0);
  EXPECT_EQ(std::string(SWELL_GetResourcePath()), dir.path());

  std::unique_ptr<LICE_IBitmap> bm(LICE_LoadPNGFromNamedResource("knob.png"));
  EXPECT_NE(bm, nullptr);
  EXPECT_EQ(LICE_LoadPNGFromNamedResource("nothing.png"), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromNamedResource(nullptr), nullptr);

  unsetenv("PLENMORA_RESOURCES");
}
