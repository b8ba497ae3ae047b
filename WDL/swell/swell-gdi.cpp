// Memory drawing contexts and the pool their handles come from.
#include "swell-gdi-internal.h"

#include <cstdint>
#include <cstdlib>

SWELL_HandlePool<SWELL_GDIContext>& SWELL_ContextPool()
{
  // Never destroyed: contexts may be freed by static destructors of other
  // objects during exit.
  static auto* pool = new SWELL_HandlePool<SWELL_GDIContext>();
  return *pool;
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
  free(c->raw);
  SWELL_ContextPool().Free(c);
}
