// SWELL_DrawText and the cached font's DrawText with arbitrary UTF-8, lengths, flags and
// rectangles, into a memory context and into bitmaps: nothing is drawn outside the target.
#include "FuzzInput.h"
#include "raster/lice.h"
#include "raster/text.h"
#include "swell/swell.h"

#include <cstdlib>
#include <map>

namespace {
const UINT kFlags[] = {DT_CENTER,   DT_RIGHT,    DT_VCENTER, DT_BOTTOM,          DT_SINGLELINE,
                       DT_NOPREFIX, DT_CALCRECT, DT_NOCLIP,  LICE_DT_USEFGALPHA, LICE_DT_NEEDALPHA};

UINT TakeFlags(FuzzInput& in)
{
  const uint16_t bits = in.Take<uint16_t>();
  UINT flags = 0;
  for (size_t i = 0; i < sizeof(kFlags) / sizeof(kFlags[0]); ++i)
    if (bits & (1u << i)) flags |= kFlags[i];
  return flags;
}

RECT TakeRect(FuzzInput& in)
{
  RECT r;
  r.left = in.TakeInt(-300, 300);
  r.top = in.TakeInt(-300, 300);
  r.right = in.TakeBool() ? in.Take<int>() : in.TakeInt(-300, 300);
  r.bottom = in.TakeInt(-300, 300);
  return r;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const int height = in.TakeInt(-40, 80);
  const int fontFlags = in.Take<uint16_t>() & 0x7f7;
  const UINT flags = TakeFlags(in);
  RECT rect = TakeRect(in);
  const bool toFont = in.TakeBool();
  const bool sysBitmap = in.TakeBool();
  const LICE_pixel color = in.Take<LICE_pixel>();
  const std::vector<uint8_t> rest = in.Rest();
  const std::string text(rest.begin(), rest.end());
  // Either the whole text up to a terminator, or a count that may fall short of it.
  const int count = text.size() > 2 && (text[0] & 1) ? (int)(uint8_t)text[1] % (text.size() + 1) : -1;

  // Making a font is slow (the font files are looked up): one per height, kept for the run.
  static struct Fonts
  {
    std::map<int, HFONT> byHeight;
    ~Fonts()
    {
      for (auto& f : byHeight) DeleteObject(f.second);
    }
  } fonts;
  HFONT& font = fonts.byHeight[height];
  if (!font) font = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans");
  if (toFont) {
    LICE_IBitmap* bm = sysBitmap ? (LICE_IBitmap*)new LICE_SysBitmap(64, 48) : new LICE_MemBitmap(64, 48);
    LICE_CachedFont f;
    f.SetFromHFont(font, fontFlags & ~LICE_FONT_FLAG_OWNS_HFONT);
    f.SetTextColor(color);
    f.SetBkMode(color & 1 ? OPAQUE : TRANSPARENT);
    f.DrawText(bm, text.c_str(), count, &rect, flags);
    delete bm;
  } else {
    HDC dc = SWELL_CreateMemContext(nullptr, 64, 48);
    HGDIOBJ old = SelectObject(dc, font);
    SWELL_DrawText(dc, text.c_str(), count, &rect, flags & 0xffffff);
    SelectObject(dc, old);
    SWELL_DeleteGfxContext(dc);
  }
  return 0;
}
