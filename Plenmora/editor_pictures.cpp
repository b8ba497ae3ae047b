#include "editor_pictures.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "IGraphicsGtk.h"
#include "Plenmora.h"
#include "editor_layout.h"
#include "lice.h"
#include "swell-resources.h"

namespace
{
struct Picture
{
  const char* name;
  int frameW, frameH, frames; // frames stacked top to bottom
};

constexpr Picture kPictures[] = {
    {editor_layout::kBackgroundImage, editor_layout::kWidth, editor_layout::kHeight, 1},
    {editor_layout::kLargeKnobImage, editor_layout::kLargeKnobSize, editor_layout::kLargeKnobSize,
     editor_layout::kKnobFrames},
    {editor_layout::kKnobImage, editor_layout::kKnobSize, editor_layout::kKnobSize,
     editor_layout::kKnobFrames},
    {editor_layout::kMeterImage, editor_layout::kMeterWidth, editor_layout::kMeterHeight,
     editor_layout::kMeterFrames},
    {editor_layout::kAboutImage, editor_layout::kWidth, editor_layout::kHeight, 1},
};
constexpr int kNumPictures = sizeof(kPictures) / sizeof(kPictures[0]);

// One picture's reading. The thread writes w, h and bitmap; they are read
// after it is joined.
struct Reading
{
  std::string path;
  std::thread thread;
  int w = 0, h = 0; // from the file's header; 0 without one
  std::unique_ptr<LICE_IBitmap> bitmap;
  bool taken = false; // the bitmap went to an editor's bitmap cache
};

struct Readings
{
  std::mutex mutex;
  Reading r[kNumPictures];
  ~Readings()
  {
    for (Reading& reading : r)
      if (reading.thread.joinable()) reading.thread.join();
  }
} sReadings;

void Read(Reading* r, const Picture* p)
{
  if (!LICE_GetPNGSize(r->path.c_str(), &r->w, &r->h))
  {
    r->w = r->h = 0;
    return;
  }
  if (r->w != p->frameW || r->h != p->frameH * p->frames) return;
  std::unique_ptr<LICE_IBitmap> bitmap(LICE_LoadPNG(r->path.c_str()));
  // The file may have been replaced since its header was read.
  if (bitmap && bitmap->getWidth() == r->w && bitmap->getHeight() == r->h)
    r->bitmap = std::move(bitmap);
}

// Under the mutex. A picture is read again from another folder, also after
// an editor took it: each editor is made only from a folder whose pictures
// are right.
void StartReadings(const std::string& folder)
{
  for (int i = 0; i < kNumPictures; ++i)
  {
    Reading& r = sReadings.r[i];
    const std::string path = folder + "/" + kPictures[i].name;
    if (r.path == path && (r.thread.joinable() || r.bitmap || r.taken)) continue;
    if (r.thread.joinable()) r.thread.join();
    r.path = path;
    r.w = r.h = 0;
    r.bitmap.reset();
    r.taken = false;
    r.thread = std::thread(Read, &r, &kPictures[i]);
  }
}

std::string Describe(const Picture& p, const Reading& r)
{
  char line[256];
  if (!r.w)
  {
    snprintf(line, sizeof(line), "\"%s\" is missing or unreadable.\n", p.name);
  }
  else if (r.w != p.frameW || r.h != p.frameH * p.frames)
  {
    char frames[64] = "";
    if (p.frames > 1)
      snprintf(frames, sizeof(frames), " (%d frames of %d x %d)", p.frames, p.frameW, p.frameH);
    snprintf(line, sizeof(line), "\"%s\" is %d x %d pixels, where %d x %d%s are expected.\n",
             p.name, r.w, r.h, p.frameW, p.frameH * p.frames, frames);
  }
  else
  {
    snprintf(line, sizeof(line), "\"%s\" is damaged.\n", p.name);
  }
  return line;
}

// The picture read from the file name, handed over; null when there is none.
LICE_IBitmap* Take(const char* name)
{
  std::lock_guard<std::mutex> lock(sReadings.mutex);
  for (int i = 0; i < kNumPictures; ++i)
  {
    Reading& r = sReadings.r[i];
    if (!name || strcmp(name, kPictures[i].name) || r.thread.joinable() || !r.bitmap) continue;
    r.taken = true;
    return r.bitmap.release();
  }
  return nullptr;
}

class EditorGraphics final : public IGraphicsGtk
{
public:
  using IGraphicsGtk::IGraphicsGtk;
  LICE_IBitmap* OSLoadBitmap(int ID, const char* name) override
  {
    LICE_IBitmap* bitmap = Take(name);
    return bitmap ? bitmap : IGraphicsGtk::OSLoadBitmap(ID, name);
  }
};
} // namespace

namespace editor_pictures
{
void Start()
{
  std::lock_guard<std::mutex> lock(sReadings.mutex);
  StartReadings(SWELL_GetResourcePath());
}

bool Wait(std::string* problem)
{
  std::lock_guard<std::mutex> lock(sReadings.mutex);
  const std::string folder = SWELL_GetResourcePath();
  StartReadings(folder);
  std::string lines;
  for (int i = 0; i < kNumPictures; ++i)
  {
    Reading& r = sReadings.r[i];
    if (r.thread.joinable()) r.thread.join();
    if (!r.taken && !r.bitmap) lines += Describe(kPictures[i], r);
  }
  if (lines.empty()) return true;
  // No editor is made: the pictures that were read are not kept.
  for (Reading& r : sReadings.r)
    if (!r.taken)
    {
      r.bitmap.reset();
      r.path.clear();
    }
  lines.pop_back();
  *problem = "its pictures in " + folder + " are not usable:\n" + lines;
  return false;
}

IGraphicsGtk* MakeGraphics(IPlugBase* plug, int w, int h) { return new EditorGraphics(plug, w, h); }
} // namespace editor_pictures

void PreloadPlugPictures() { editor_pictures::Start(); }
