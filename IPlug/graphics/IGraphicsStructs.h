#pragma once
// The editor's drawing records: colours, pictures, blending, text styles, mouse modifiers.

#include <cstring>

class LICE_IBitmap;
class LICE_IFont;

struct IColor
{
  int A = 255, R = 0, G = 0, B = 0;
  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
  // The raster pixel of this colour: B | G << 8 | R << 16 | A << 24, each channel masked to 8 bits.
  unsigned int ToPixel() const
  {
    return (unsigned int)(B & 0xff) | ((unsigned int)(G & 0xff) << 8) | ((unsigned int)(R & 0xff) << 16) |
           ((unsigned int)(A & 0xff) << 24);
  }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// A picture handle; the pixels belong to the process-wide picture cache. mOpaque is found once,
// when the picture is loaded or made: every pixel has alpha 255, so drawing it with source alpha at
// full weight is a plain copy.
struct IBitmap
{
  LICE_IBitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;
  bool mFramesAreHorizontal = false;
  bool mOpaque = false;
  IBitmap() = default;
  IBitmap(LICE_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false, bool opaque = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal), mOpaque(opaque)
  {
  }
  // Width and height of one frame.
  int FrameWidth() const { return (mFramesAreHorizontal && N > 0) ? W / N : W; }
  int FrameHeight() const { return (!mFramesAreHorizontal && N > 0) ? H / N : H; }
};

struct IChannelBlend
{
  enum EBlendMethod { kBlendNone = 0, kBlendClobber = 1, kBlendAdd = 2, kBlendColorDodge = 3 };
  int mMethod = kBlendNone;
  float mWeight = 1.0f;
  IChannelBlend() = default;
  explicit IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
  // The raster mode word for this blend's method.
  int ModeWord() const;
};

struct IText
{
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum EQuality { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };

  char mFont[32];
  int mSize = 10;
  IColor mColor = DEFAULT_TEXT_COLOR;
  IColor mTextEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
  IColor mTextEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
  int mStyle = kStyleNormal;
  int mAlign = kAlignCenter;
  int mOrientation = 0;
  int mQuality = kQualityDefault;
  LICE_IFont* mCached = nullptr;

  // A style of `size` pixels in `color`, face `font` (cut to the field; null keeps "Monaco").
  explicit IText(int size = 10, const IColor* color = nullptr, const char* font = nullptr, int style = kStyleNormal,
                 int align = kAlignCenter, int orientation = 0, int quality = kQualityDefault)
      : mSize(size), mStyle(style), mAlign(align), mOrientation(orientation), mQuality(quality)
  {
    SetFont(font ? font : "Monaco");
    if (color) mColor = *color;
  }
  explicit IText(const IColor* color) : IText(10, color) {}
  // Sets the face name, cut to 31 characters.
  void SetFont(const char* font)
  {
    std::strncpy(mFont, font ? font : "", sizeof(mFont) - 1);
    mFont[sizeof(mFont) - 1] = 0;
  }
};

// Mouse buttons and modifier keys: left, right (also Command with the left button), Shift,
// Control, Option.
struct IMouseMod
{
  bool L = false, R = false, S = false, C = false, A = false;
  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false) : L(l), R(r), S(s), C(c), A(a) {}
};

enum EFileAction { kFileOpen = 0, kFileSave = 1 };
