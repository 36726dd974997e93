// PNG decoding into bitmaps, from files and memory, and the PNG entry of the image loader list.

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "lice.h"
#include "pngsilent.h"
#include "rows.h"

namespace {

// Everything one decode holds; released on every exit path by finish().
struct Decode
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  FILE* fp = nullptr;
  LICE_IBitmap* created = nullptr;  // a bitmap made by this decode, owned until it succeeds
  png_bytep* rows = nullptr;
  const unsigned char* data = nullptr;  // memory source
  size_t len = 0;
  size_t pos = 0;
};

// Memory source reader: hands out the next n bytes; asking for more than is left is an error,
// so a truncated buffer fails instead of decoding made-up data.
void readFromMemory(png_structp png, png_bytep out, size_t n)
{
  Decode* d = static_cast<Decode*>(png_get_io_ptr(png));
  if (n > d->len - d->pos) png_error(png, "PNG data ends early");
  memcpy(out, d->data + d->pos, n);
  d->pos += n;
}

// Reads the picture into a new memory bitmap recorded in d->created and returns it; null on any
// failure. libpng errors return through the jump buffer set here, so this function keeps all its
// state in *d, which outlives it.
LICE_IBitmap* decodeBody(Decode* d)
{
  if (setjmp(png_jmpbuf(d->png))) return nullptr;

  png_read_info(d->png, d->info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, type = 0;
  png_get_IHDR(d->png, d->info, &width, &height, &depth, &type, nullptr, nullptr, nullptr);

  // Every decoded pixel becomes the four bytes alpha, red, green, blue.
  bool alpha = (type & PNG_COLOR_MASK_ALPHA) != 0;
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d->png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(d->png);
  if (png_get_valid(d->png, d->info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(d->png);
    alpha = true;
  }
  if (depth == 16) png_set_strip_16(d->png);
  if (depth < 8) png_set_packing(d->png);
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(d->png);
  if (alpha)
    png_set_swap_alpha(d->png);
  else
    png_set_filler(d->png, 0xff, PNG_FILLER_BEFORE);

  if (width > 0x7fffffff || height > 0x7fffffff) return nullptr;
  const int w = (int)width, h = (int)height;
  LICE_IBitmap* bmp = d->created = new (std::nothrow) LICE_MemBitmap(w, h, 4);
  if (!bmp) return nullptr;
  const LICE_Rows target(bmp);
  if (target.empty() || target.width != w || target.height != h) return nullptr;

  d->rows = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * (size_t)h));
  if (!d->rows) return nullptr;
  for (int y = 0; y < h; y++) d->rows[y] = reinterpret_cast<png_bytep>(target.row(y));
  png_read_image(d->png, d->rows);

  for (int y = 0; y < h; y++) {
    LICE_pixel* p = target.row(y);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(p);
    for (int x = 0; x < w; x++, b += 4)
      p[x] = ((LICE_pixel)b[0] << 24) | ((LICE_pixel)b[1] << 16) | ((LICE_pixel)b[2] << 8) | b[3];
  }
  return bmp;
}

// Releases what d holds; the created bitmap too unless the decode succeeded.
void finish(Decode* d, bool ok)
{
  if (d->png) png_destroy_read_struct(&d->png, d->info ? &d->info : nullptr, nullptr);
  if (d->fp) fclose(d->fp);
  free(d->rows);
  if (!ok) delete d->created;
}

// Sets up libpng on d (its source already attached by the caller) and decodes. A given bitmap
// receives the picture only once it decoded completely and the bitmap took its size, so a
// failure leaves its pixels as they were.
LICE_IBitmap* decode(Decode* d, LICE_IBitmap* bmp)
{
  LICE_IBitmap* out = nullptr;
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, LICE_PNGError, LICE_PNGWarning);
  if (d->png) d->info = png_create_info_struct(d->png);
  if (d->info) {
    if (d->fp)
      png_init_io(d->png, d->fp);
    else
      png_set_read_fn(d->png, d, readFromMemory);
    out = decodeBody(d);
  }
  finish(d, out != nullptr);
  if (!out || !bmp) return out;

  bmp->resize(out->getWidth(), out->getHeight());
  const bool fits = bmp->getWidth() == out->getWidth() && bmp->getHeight() == out->getHeight();
  if (fits) LICE_Blit(bmp, out, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
  delete out;
  return fits ? bmp : nullptr;
}

// The load function of the loader list: path, optional ".png" extension check, target.
LICE_IBitmap* loadIfPNG(const char* filename, bool checkFileName, LICE_IBitmap* bmp)
{
  if (!filename) return nullptr;
  if (checkFileName) {
    const char* ext = nullptr;
    for (const char* p = filename; *p; p++)
      if (*p == '.' || *p == '/' || *p == '\\') ext = p;
    if (!ext || strcasecmp(ext, ".png") != 0) return nullptr;
  }
  return LICE_LoadPNG(filename, bmp);
}

// The extension list of the loader list: description and pattern, double-NUL-terminated.
const char* pngExtensions() { return "PNG files (*.PNG)\0*.PNG\0"; }

// Puts the PNG loader at the front of the loader list at start-up.
struct PNGLoaderRegistration
{
  _LICE_ImageLoader_rec rec{loadIfPNG, pngExtensions, nullptr};
  PNGLoaderRegistration()
  {
    rec._next = LICE_ImageLoader_list;
    LICE_ImageLoader_list = &rec;
  }
};

}  // namespace

_LICE_ImageLoader_rec* LICE_ImageLoader_list = nullptr;
static PNGLoaderRegistration LICE_PNGLoader;

LICE_IBitmap* LICE_LoadPNG(const char* filename, LICE_IBitmap* bmp)
{
  if (!filename) return nullptr;
  Decode d;
  d.fp = fopen(filename, "rb");
  if (!d.fp) return nullptr;
  return decode(&d, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromMemory(const void* data, int len, LICE_IBitmap* bmp)
{
  if (!data || len < 8 || png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) return nullptr;
  Decode d;
  d.data = static_cast<const unsigned char*>(data);
  d.len = (size_t)len;
  return decode(&d, bmp);
}

LICE_IBitmap* LICE_LoadPNGFromResource(void* hInst, const char* name, LICE_IBitmap* bmp)
{
  (void)hInst;
  (void)name;
  (void)bmp;
  return nullptr;
}
