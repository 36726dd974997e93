#pragma once
// The raster library: 32-bit pixels, bitmaps, blits, fills, pixel access and PNG pictures.

#include <cstdint>

#include "swell/swell.h"

// A pixel: bytes in memory blue, green, red, alpha; read as a little-endian word 0xAARRGGBB.
// Colours are straight, never premultiplied.
typedef unsigned int LICE_pixel;
typedef unsigned char LICE_pixel_chan;

#define LICE_RGBA(r, g, b, a) ((LICE_pixel)(((b)&0xff) | (((g)&0xff) << 8) | (((r)&0xff) << 16) | (((a)&0xff) << 24)))
#define LICE_GETB(v) ((v)&0xff)
#define LICE_GETG(v) (((v) >> 8) & 0xff)
#define LICE_GETR(v) (((v) >> 16) & 0xff)
#define LICE_GETA(v) (((v) >> 24) & 0xff)

// Byte positions of the channels inside a pixel in memory.
#define LICE_PIXEL_B 0
#define LICE_PIXEL_G 1
#define LICE_PIXEL_R 2
#define LICE_PIXEL_A 3

// The mode word shared by every drawing function: the low byte is the operation.
#define LICE_BLIT_MODE_MASK 0xff
#define LICE_BLIT_MODE_COPY 0
#define LICE_BLIT_MODE_ADD 1
#define LICE_BLIT_MODE_DODGE 2
#define LICE_BLIT_MODE_MUL 3
#define LICE_BLIT_MODE_OVERLAY 4
#define LICE_BLIT_MODE_HSVADJ 5
// Channel copy (LICE_Blit only): 0xF0 | source channel | destination channel << 2,
// channels numbered as LICE_PIXEL_B ... LICE_PIXEL_A.
#define LICE_BLIT_MODE_CHANCOPY 0xf0
#define LICE_BLIT_FILTER_BILINEAR 0x100
#define LICE_BLIT_USE_ALPHA 0x10000

// Abstract bitmap: height rows of getRowSpan() pixels, the first getWidth() of each are the image.
class LICE_IBitmap
{
public:
  virtual ~LICE_IBitmap() {}

  // First pixel of row 0, or null when there is no buffer.
  virtual LICE_pixel* getBits() = 0;
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  // Pixels from one row to the next (at least the width).
  virtual int getRowSpan() = 0;
  // True when rows are stored bottom-up (row y at bits + (height - 1 - y) * rowspan).
  virtual bool isFlipped() { return false; }
  // Changes the size; false when it already was w x h. Pixel contents afterwards are unspecified.
  virtual bool resize(int w, int h) = 0;
  // Device context over the pixels, or null.
  virtual HDC getDC() { return nullptr; }
  // Extension queries; 0 for every id unless a class answers it.
  virtual intptr_t Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// A bitmap in plain memory: 64-byte aligned buffer, rows padded to the line alignment,
// storage that grows with headroom and never shrinks until the size becomes 0 x 0.
class LICE_MemBitmap : public LICE_IBitmap
{
public:
  // An empty bitmap, or one of w x h when both are positive. linealign is rounded down to a
  // power of two (at most 16 pixels); below 2 means no padding.
  LICE_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  ~LICE_MemBitmap() override;
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  LICE_pixel* getBits() override;
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return (m_width + m_linealign) & ~m_linealign; }
  bool resize(int w, int h) override;

  // Bytes of pixel storage held (without the alignment slack).
  int getAllocatedSize() const { return m_allocsize; }

private:
  void* m_fb = nullptr;
  int m_width = 0;
  int m_height = 0;
  int m_allocsize = 0;
  int m_linealign = 0;
};

// A bitmap whose pixels live in a memory device context of the GDI layer, so that text and
// screen blits reach them. Its storage only grows; the row span is the allocated width.
class LICE_SysBitmap : public LICE_IBitmap
{
public:
  LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;

  LICE_pixel* getBits() override { return m_bits; }
  int getWidth() override { return m_width; }
  int getHeight() override { return m_height; }
  int getRowSpan() override { return m_allocw; }
  bool resize(int w, int h) override;
  HDC getDC() override { return m_dc; }

private:
  int m_width = 0;
  int m_height = 0;
  HDC m_dc = nullptr;
  LICE_pixel* m_bits = nullptr;
  int m_allocw = 0;
  int m_alloch = 0;
};

// Every function below takes a null bitmap (or one without bits) as a no-op.

// Resizes dest to the size of src and copies all of src into it.
void LICE_Copy(LICE_IBitmap* dest, LICE_IBitmap* src);

// Blits the source rectangle (null = all of src; right and bottom exclusive) to (dstx, dsty),
// clipped to both bitmaps, with weight alpha (1.0 = full) and the mode word.
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode);
// The same with the source rectangle given as (srcx, srcy, srcw, srch).
void LICE_Blit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
               float alpha, int mode);

// Blits the source area (in source pixels, fractional) scaled onto the destination rectangle;
// negative dstw/dsth mirror. LICE_BLIT_FILTER_BILINEAR interpolates, and filters when shrinking.
void LICE_ScaledBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float alpha, int mode);

// Blits the source area scaled onto the destination rectangle and turned by angle (radians)
// about the rectangle's middle moved by (rotxcent, rotycent). With cliptosourcerect only pixels
// of the source area are sampled, else any pixel of src.
void LICE_RotatedBlit(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                      float rotxcent = 0.0f, float rotycent = 0.0f);

// Sets every image pixel to color.
void LICE_Clear(LICE_IBitmap* dest, LICE_pixel color);
// Replaces each pixel p of the clipped rectangle with (p & mask) | orbits.
void LICE_ClearRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel mask = 0, LICE_pixel orbits = 0);
// Fills the clipped rectangle with color at weight alpha; with LICE_BLIT_USE_ALPHA the weight is
// scaled by the colour's alpha.
void LICE_FillRect(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color, float alpha = 1.0f, int mode = 0);

// Fills the clipped rectangle with a gradient. Channels are 0..1 at (x, y) and change by the
// d?dx values per pixel to the right and the d?dy values per row down; each pixel's colour,
// clamped, is combined with its own alpha as the weight, by the mode's operation.
void LICE_GradRect(LICE_IBitmap* dest, int x, int y, int w, int h, float ir, float ig, float ib, float ia, float drdx,
                   float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode);

// The pixel at (x, y), or 0 outside the bitmap.
LICE_pixel LICE_GetPixel(LICE_IBitmap* bm, int x, int y);
// True when every image pixel has alpha 255 (a source-alpha blit of it at full weight is a plain
// copy); false for a bitmap without pixels.
bool LICE_IsOpaque(LICE_IBitmap* bm);
// Combines color into the pixel at (x, y) like LICE_FillRect (operation byte only); outside does nothing.
void LICE_PutPixel(LICE_IBitmap* bm, int x, int y, LICE_pixel color, float alpha, int mode);

// Compares two bitmaps' images: 0 when both have the same size and pixels (two empty or null
// bitmaps are equal), 1 when the sizes differ, 2 when pixels differ; then coordsOut, when given,
// receives the rectangle (x, y, w, h) around every differing pixel.
int LICE_BitmapCmp(LICE_IBitmap* a, LICE_IBitmap* b, int* coordsOut = nullptr);

// Blurs the source rectangle of src into dest at (dstx, dsty) with a 3 x 3 kernel (1 2 1 by
// 1 2 1, edges clamped to the rectangle). dest and src may be the same bitmap, even overlapping.
void LICE_Blur(LICE_IBitmap* dest, LICE_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);

// PNG loaders. With bmp given, the picture is decoded into it (resized) and bmp is returned;
// with null a new LICE_MemBitmap owned by the caller is returned. Every failure returns null.
LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp = nullptr);
LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int len, LICE_IBitmap* bmp = nullptr);
// Module resources do not exist on this platform: always null.
LICE_IBitmap* LICE_LoadPNGFromResource(void* hInst, const char* name, LICE_IBitmap* bmp = nullptr);
// Loads "<main bundle>/Contents/Resources/<name>"; names over 400 characters give null.
LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp = nullptr);

// Writes the image as an 8-bit RGBA (or RGB without alpha) PNG. The file appears complete or not
// at all: it is written under a temporary name and renamed. Returns false on any failure.
bool LICE_WritePNG(const char* filename, LICE_IBitmap* bmp, bool wantalpha = true);

// Image loaders known to the library, newest first.
struct _LICE_ImageLoader_rec
{
  // Loads filename into bmp (or a new bitmap); with checkFileName the extension must match.
  LICE_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, LICE_IBitmap* bmp);
  // Double-NUL-terminated list of "description", "pattern" pairs.
  const char* (*get_extlist)();
  _LICE_ImageLoader_rec* _next;
};
extern _LICE_ImageLoader_rec* LICE_ImageLoader_list;
