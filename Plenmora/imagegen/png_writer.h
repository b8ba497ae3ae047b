// Writes a raster bitmap as an 8-bit PNG file with libpng.
#pragma once

#include "lice.h"

// RGB + alpha with withAlpha, else RGB (the alpha bytes dropped). False when
// the file cannot be written; a partly written file is removed.
bool WritePNG(const char* path, LICE_IBitmap* bmp, bool withAlpha);
