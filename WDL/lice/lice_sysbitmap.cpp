// LICE_SysBitmap: a bitmap over a window-layer memory drawing context.
#include "lice.h"

#include "../swell/swell-gdi.h"

LICE_SysBitmap::LICE_SysBitmap(int w, int h)
    : m_width(0), m_height(0), m_dc(nullptr), m_bits(nullptr), m_allocw(0), m_alloch(0)
{
  resize(w, h);
}

LICE_SysBitmap::~LICE_SysBitmap()
{
  if (m_dc) SWELL_DeleteGfxContext(m_dc);
}

bool LICE_SysBitmap::resize(int w, int h)
{
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  if (w > 0 && h > 0 && m_allocw >= w && m_alloch >= h && m_bits)
  {
    // The context is large enough; bottom-up rows would end at its last row.
    if (isFlipped())
      m_bits = (LICE_Pixel*)SWELL_GetCtxFrameBuffer(m_dc) + (m_alloch - h) * m_allocw;
    return true;
  }

  if (m_dc) SWELL_DeleteGfxContext(m_dc);
  m_dc = nullptr;
  m_bits = nullptr;
  if (w <= 0 || h <= 0 || w > 0x7ffffff0)
  {
    m_allocw = m_alloch = 0;
    if (w < 0 || h < 0) m_width = m_height = 0;
    return false;
  }
  m_allocw = (w + 3) & ~3;
  m_alloch = h;

  m_dc = SWELL_CreateMemContext(nullptr, m_allocw, m_alloch);
  if (m_dc) m_bits = (LICE_Pixel*)SWELL_GetCtxFrameBuffer(m_dc);
  if (!m_bits)
  {
    if (m_dc) SWELL_DeleteGfxContext(m_dc);
    m_dc = nullptr;
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
  }
  return true;
}
