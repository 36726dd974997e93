#pragma once
// Device context and GDI object records, their reuse pools and the shared
// colour spaces. Private to the GDI layer.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include "swell-types.h"

enum {
  kTypePen = 1,
  kTypeBrush = 2,
  kTypeFont = 3,
};

struct HDC__
{
  CGContextRef ctx;
  void* ownedBuf;  // memory contexts only: the allocation behind the pixels
  HGDIOBJ curPen, curBrush, curFont;
  int textColor, bkColor, bkMode;
  bool released;
  HDC__* next;
  CGColorRef textCGColor;
};

// Pens and brushes exist only as the stock objects; fonts are the only
// objects made and released here.
struct HGDIOBJ__
{
  int type;
  int additionalRefs;
  int wid;         // stock objects: -1
  float rotation;  // fonts: degrees
  bool released;
  HGDIOBJ__* next;
  CTFontRef ctFont;
  char quality;  // 3 no antialiasing, 4 antialiasing, 0 leave as is
};

namespace swell {

// A zeroed record, from the pool when one is free; null when memory runs out.
HDC__* NewContext();
HGDIOBJ__* NewObject();
// Marks a record released and pools it (or frees it when the pool is full).
void FreeContext(HDC__* ctx);
void FreeObject(HGDIOBJ__* obj);

// The record behind a handle, or null for null and released handles.
inline HDC__* Live(HDC h) { return h && !h->released ? h : nullptr; }
// Null also for the pseudo-handles below 5.
inline HGDIOBJ__* Live(HGDIOBJ h) { return (uintptr_t)h >= 5 && !h->released ? h : nullptr; }

// The device RGB colour space every memory context and colour uses.
CGColorSpaceRef DeviceRGB();
// An opaque colour from a packed 0xRRGGBB value (+1 reference).
CGColorRef MakeColor(int rgb);

}  // namespace swell
