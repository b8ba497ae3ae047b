#include "test_graphics.h"

#include "lice.h"

LICE_IBitmap* TestGraphics::OSLoadBitmap(int, const char* name)
{
  if (!name || mImageDir.empty()) return nullptr;
  std::string base = name;
  const size_t slash = base.rfind('/');
  if (slash != std::string::npos) base = base.substr(slash + 1);
  return LICE_LoadPNG((mImageDir + "/" + base).c_str(), nullptr);
}
