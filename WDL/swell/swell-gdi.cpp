// Memory drawing contexts, GDI objects and the pools their handles come from.
#include "swell-gdi-internal.h"

#include <cstdlib>

// The pools are never destroyed: contexts and objects may be freed by static
// destructors of other objects during exit.
SWELL_HandlePool<SWELL_GDIContext>& SWELL_ContextPool()
{
  static auto* pool = new SWELL_HandlePool<SWELL_GDIContext>();
  return *pool;
}

SWELL_HandlePool<SWELL_GDIObject>& SWELL_ObjectPool()
{
  static auto* pool = new SWELL_HandlePool<SWELL_GDIObject>();
  return *pool;
}

SWELL_GDIObject* SWELL_GetObject(HGDIOBJ h, int kind)
{
  if (!SWELL_ObjectPool().Validate(h)) return nullptr;
  auto* o = reinterpret_cast<SWELL_GDIObject*>(h);
  return o->kind == kind ? o : nullptr;
}

HDC SWELL_CreateMemContext(HDC, int width, int height)
{
  if (width <= 0 || height <= 0) return nullptr;
  const size_t row = (size_t)width * 4;
  if ((size_t)height > (SIZE_MAX - 63) / row) return nullptr;
  unsigned char* raw = (unsigned char*)calloc(1, row * (size_t)height + 63);
  if (!raw) return nullptr;

  SWELL_GDIContext* c = SWELL_ContextPool().Alloc();
  c->raw = raw;
  c->bits = (unsigned char*)(((uintptr_t)raw + 63) & ~(uintptr_t)63);
  c->width = width;
  c->height = height;
  return reinterpret_cast<HDC>(c);
}

void* SWELL_GetCtxFrameBuffer(HDC ctx)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  return c ? c->bits : nullptr;
}

void SWELL_DeleteGfxContext(HDC ctx)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  if (!c) return;
  SWELL_ReleaseTextState(c);
  free(c->raw);
  SWELL_ContextPool().Free(c);
}

HGDIOBJ SelectObject(HDC ctx, HGDIOBJ obj)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  if (!c) return nullptr;
  const SWELL_GDIObject* f = SWELL_GetObject(obj, SWELL_GDI_FONT);
  if (obj && !f) return nullptr;
  HGDIOBJ old = c->font;
  c->font = obj;
  c->fontSerial = f ? f->serial : 0;
  return old;
}

BOOL DeleteObject(HGDIOBJ obj)
{
  if (!SWELL_ObjectPool().Validate(obj)) return FALSE;
  auto* o = reinterpret_cast<SWELL_GDIObject*>(obj);
  if (o->kind == SWELL_GDI_FONT) SWELL_ReleaseFont(o);
  return SWELL_ObjectPool().Free(o) ? TRUE : FALSE;
}

namespace
{
// Sets one setting of a context and returns the one before, or fail for a
// handle that is not a live context.
int SetContextValue(HDC ctx, int SWELL_GDIContext::*field, int value, int fail)
{
  SWELL_GDIContext* c = SWELL_GetContext(ctx);
  if (!c) return fail;
  const int old = c->*field;
  c->*field = value;
  return old;
}
} // namespace

int SetTextColor(HDC ctx, int color)
{
  return SetContextValue(ctx, &SWELL_GDIContext::textColor, color & 0xffffff, -1);
}

int SetBkColor(HDC ctx, int color)
{
  return SetContextValue(ctx, &SWELL_GDIContext::bkColor, color & 0xffffff, -1);
}

int SetBkMode(HDC ctx, int mode)
{
  return SetContextValue(ctx, &SWELL_GDIContext::bkMode, mode, 0);
}
