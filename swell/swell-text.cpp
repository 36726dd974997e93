// Font objects, text metrics and text drawing.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "swell-fontcache.h"
#include "swell-gdi.h"
#include "swell-records.h"

using swell::Live;

namespace {

constexpr int kMaxFaceName = 899;
constexpr size_t kMaxText = 4095;

// The label font at 10 points, made once and kept for the process.
CTFontRef DefaultFont()
{
  static CTFontRef font = CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, 10, nullptr);
  return font;
}

// The selected font's Core Text font, else the default font.
CTFontRef FontOf(const HDC__* r, char* quality)
{
  const HGDIOBJ__* f = Live(r->curFont);
  if (f && f->type == kTypeFont && f->ctFont) {
    if (quality) *quality = f->quality;
    return f->ctFont;
  }
  if (quality) *quality = 0;
  return DefaultFont();
}

// Copies at most kMaxText bytes, dropping carriage returns and (unless
// noPrefix) prefix ampersands; line feeds become spaces on single lines.
// A multi-byte character cut off by the limit is dropped whole.
std::string CleanText(const char* text, int len, bool noPrefix, bool singleLine, bool* multiLine)
{
  std::string out;
  *multiLine = false;
  const size_t n = len < 0 ? std::strlen(text) : strnlen(text, (size_t)len);
  size_t i = 0;
  for (; i < n && out.size() < kMaxText; ++i) {
    char ch = text[i];
    if (ch == '&' && !noPrefix) {
      if (++i >= n) break;
      ch = text[i];
    }
    if (ch == '\r') continue;
    if (ch == '\n') {
      if (singleLine) {
        ch = ' ';
      } else {
        *multiLine = true;
      }
    }
    out += ch;
  }
  if (i < n) {
    // Cut by the limit: drop a last character whose bytes did not all fit.
    size_t lead = out.size();
    while (lead > 0 && ((unsigned char)out[lead - 1] & 0xC0) == 0x80) --lead;
    if (lead > 0 && ((unsigned char)out[lead - 1] & 0x80)) {
      const unsigned char b = out[lead - 1];
      const size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
      if (out.size() - (lead - 1) < need) out.resize(lead - 1);
    }
  }
  return out;
}

// A line's height as measured, and the step between drawn lines.
inline int MeasuredHeight(CGFloat a, CGFloat d, CGFloat l) { return (int)std::floor(a + d + l + 1.5); }
inline int LineStep(CGFloat a, CGFloat d, CGFloat l) { return (int)std::floor(a + d + l + 0.5); }

}  // namespace

HFONT CreateFont(int height, int width, int, int orientation, int weight, int italic, int, int, int, int, int,
                 int quality, int, const char* faceName)
{
  int size = height ? height : width;
  if (size < 0) size = -size;
  if (size < 2 || size > 8192) size = 10;

  std::string lookup = faceName ? std::string(faceName, strnlen(faceName, kMaxFaceName)) : "";
  if (weight >= FW_BOLD) lookup += " Bold";
  if (italic) lookup += " Italic";

  CFStringRef name = nullptr;
  if (!lookup.empty()) name = SWELL_GetFontNameCache().Resolve(lookup.c_str());
  CTFontRef font = CTFontCreateWithName(name ? name : CFSTR(""), size, nullptr);
  if (name) CFRelease(name);
  if (!font) font = CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, size, nullptr);
  if (!font) return nullptr;

  HGDIOBJ__* o = swell::NewObject();
  if (!o) {
    CFRelease(font);
    return nullptr;
  }
  o->type = kTypeFont;
  o->rotation = orientation / 10.0f;
  o->ctFont = font;
  o->quality = (quality == NONANTIALIASED_QUALITY || quality == ANTIALIASED_QUALITY) ? (char)quality : 0;
  return o;
}

HFONT CreateFontIndirect(const LOGFONT* lf)
{
  if (!lf) return nullptr;
  char face[LF_FACESIZE + 1];
  std::memcpy(face, lf->lfFaceName, LF_FACESIZE);
  face[LF_FACESIZE] = 0;
  return CreateFont(lf->lfHeight, lf->lfWidth, lf->lfOrientation, lf->lfOrientation, lf->lfWeight, lf->lfItalic,
                    lf->lfUnderline, lf->lfStrikeOut, lf->lfCharSet, lf->lfOutPrecision, lf->lfClipPrecision,
                    lf->lfQuality, lf->lfPitchAndFamily, face);
}

BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm)
{
  if (!tm) return 0;
  tm->tmHeight = 16;
  tm->tmAscent = 12;
  tm->tmDescent = 4;
  tm->tmInternalLeading = 3;
  tm->tmAveCharWidth = 10;
  HDC__* r = Live(ctx);
  if (!r) return 0;
  CTFontRef font = FontOf(r, nullptr);
  if (!font) return 1;
  tm->tmInternalLeading = (int)CTFontGetLeading(font);
  tm->tmAscent = (int)CTFontGetAscent(font);
  tm->tmDescent = (int)CTFontGetDescent(font);
  const int s = tm->tmAscent + tm->tmDescent + tm->tmInternalLeading;
  tm->tmAveCharWidth = s * 2 / 3;
  tm->tmHeight = s ? s + 1 : 0;
  return 1;
}

int SWELL_DrawText(HDC ctx, const char* text, int len, RECT* rc, UINT flags)
{
  HDC__* r = Live(ctx);
  if (!r || !text || !rc) return 0;
  bool multiLine;
  const std::string clean = CleanText(text, len, flags & DT_NOPREFIX, flags & DT_SINGLELINE, &multiLine);
  if (clean.empty()) return 0;
  CFStringRef str = CFStringCreateWithCString(nullptr, clean.c_str(), kCFStringEncodingUTF8);
  if (!str) str = CFStringCreateWithCString(nullptr, clean.c_str(), kCFStringEncodingASCII);
  if (!str) return 0;
  char quality;
  CTFontRef font = FontOf(r, &quality);
  if (!font) {
    CFRelease(str);
    return 0;
  }
  const void* keys[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* values[2] = {font, r->textCGColor};
  CFDictionaryRef attrs = CFDictionaryCreate(nullptr, keys, values, r->textCGColor ? 2 : 1,
                                             &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef astr = attrs ? CFAttributedStringCreate(nullptr, str, attrs) : nullptr;
  if (attrs) CFRelease(attrs);
  CFRelease(str);
  if (!astr) return 0;

  // Measure: one line, or a frame of lines.
  CTLineRef single = nullptr;
  CTFramesetterRef setter = nullptr;
  CTFrameRef frame = nullptr;
  CFArrayRef lines = nullptr;
  int width = 0, height = 0;
  if (!multiLine) {
    single = CTLineCreateWithAttributedString(astr);
    CGFloat a = 0, d = 0, l = 0;
    width = (int)std::floor(CTLineGetTypographicBounds(single, &a, &d, &l) + 0.5);
    height = MeasuredHeight(a, d, l);
  } else {
    setter = CTFramesetterCreateWithAttributedString(astr);
    CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, 100000, 100000), nullptr);
    frame = setter && path ? CTFramesetterCreateFrame(setter, CFRangeMake(0, 0), path, nullptr) : nullptr;
    CGPathRelease(path);
    lines = frame ? CTFrameGetLines(frame) : nullptr;
    const CFIndex n = lines ? CFArrayGetCount(lines) : 0;
    for (CFIndex i = 0; i < n; ++i) {
      CGFloat a = 0, d = 0, l = 0;
      const double w = CTLineGetTypographicBounds(static_cast<CTLineRef>(CFArrayGetValueAtIndex(lines, i)), &a, &d, &l);
      width = std::max(width, (int)std::floor(w + 0.5));
      height += MeasuredHeight(a, d, l);
    }
  }
  if (height) ++height;

  // Rectangles may reach the ends of int: edges and sizes are worked out in 64 bits.
  const int64_t rectW = (int64_t)rc->right - rc->left, rectH = (int64_t)rc->bottom - rc->top;
  if (flags & DT_CALCRECT) {
    rc->right = (LONG)std::min<int64_t>(INT_MAX, (int64_t)rc->left + width);
    rc->bottom = (LONG)std::min<int64_t>(INT_MAX, (int64_t)rc->top + height);
  } else {
    int64_t x = rc->left, y = rc->top;
    if (flags & DT_RIGHT)
      x += rectW - width;
    else if (flags & DT_CENTER)
      x += rectW / 2 - width / 2;
    if (flags & DT_BOTTOM)
      y = (int64_t)rc->bottom - height;
    else if (flags & DT_VCENTER)
      y += rectH / 2 - height / 2;

    CGContextRef gc = r->ctx;
    CGContextSaveGState(gc);
    CGContextSetTextMatrix(gc, CGAffineTransformMake(1, 0, 0, -1, 0, 0));
    if (!(flags & DT_NOCLIP)) CGContextClipToRect(gc, CGRectMake(rc->left, rc->top, rectW, rectH));
    CGColorRef bk = r->bkMode == OPAQUE ? swell::MakeColor(r->bkColor) : nullptr;
    if (quality) CGContextSetShouldAntialias(gc, quality == ANTIALIASED_QUALITY);
    if (single) {
      CGFloat a = 0;
      CTLineGetTypographicBounds(single, &a, nullptr, nullptr);
      if (bk) {
        CGContextSetFillColorWithColor(gc, bk);
        CGContextFillRect(gc, CGRectMake(x, y, width, height));
      }
      CGContextSetTextPosition(gc, x, y + a);
      CTLineDraw(single, gc);
    } else {
      const CFIndex n = lines ? CFArrayGetCount(lines) : 0;
      double top = y;
      for (CFIndex i = 0; i < n; ++i) {
        CTLineRef line = static_cast<CTLineRef>(CFArrayGetValueAtIndex(lines, i));
        CGFloat a = 0, d = 0, l = 0;
        const double w = CTLineGetTypographicBounds(line, &a, &d, &l);
        if (bk) {
          CGContextSetFillColorWithColor(gc, bk);
          CGContextFillRect(gc, CGRectMake(x, top, std::floor(w + 0.5), LineStep(a, d, l)));
        }
        CGContextSetTextPosition(gc, x, top + a);
        CTLineDraw(line, gc);
        top += LineStep(a, d, l);
      }
    }
    if (bk) CGColorRelease(bk);
    CGContextRestoreGState(gc);
  }
  if (single) CFRelease(single);
  if (frame) CFRelease(frame);
  if (setter) CFRelease(setter);
  CFRelease(astr);
  return height;
}
