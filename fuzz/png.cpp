// LICE_LoadPNGFromMemory on arbitrary bytes, into a new bitmap and into one that exists: either
// a picture of a sane size or null, and a refused picture leaves the given bitmap as it was.
#include "raster/lice.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  LICE_IBitmap* fresh = LICE_LoadPNGFromMemory(data, (int)size);
  if (fresh) {
    if (fresh->getWidth() <= 0 || fresh->getHeight() <= 0 || !fresh->getBits()) abort();
    // Every pixel is readable.
    volatile LICE_pixel sum = 0;
    for (int y = 0; y < fresh->getHeight(); ++y)
      for (int x = 0; x < fresh->getWidth(); ++x) sum = sum + fresh->getBits()[y * fresh->getRowSpan() + x];
    delete fresh;
  }
  LICE_MemBitmap given(5, 3);
  LICE_Clear(&given, 0x12345678);
  LICE_IBitmap* into = LICE_LoadPNGFromMemory(data, (int)size, &given);
  if (!into) {
    if (given.getWidth() != 5 || given.getHeight() != 3) abort();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        if (LICE_GetPixel(&given, x, y) != 0x12345678) abort();
  } else if (into != &given)
    abort();
  return 0;
}
