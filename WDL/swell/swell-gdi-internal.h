// Records behind drawing-context and GDI-object handles, shared by the files
// of the drawing layer. Not part of the public interface.
#pragma once

#include "swell-gdi.h"
#include "swell-handles.h"

#include <cstddef>

// A memory drawing context. Handles (HDC) point at these records.
struct SWELL_GDIContext
{
  unsigned char* raw = nullptr;  // owned allocation (pixels + 63 bytes slack)
  unsigned char* bits = nullptr; // first 64-byte boundary inside raw
  int width = 0, height = 0;     // in pixels; rows are width * 4 bytes
};

SWELL_HandlePool<SWELL_GDIContext>& SWELL_ContextPool();

// The live context behind a handle, or null for anything else.
inline SWELL_GDIContext* SWELL_GetContext(HDC h)
{
  return SWELL_ContextPool().Validate(h) ? reinterpret_cast<SWELL_GDIContext*>(h) : nullptr;
}
