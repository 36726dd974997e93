// PNG encoding of a bitmap, written under a temporary name and renamed into place.

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "base/atomicfile.h"
#include "lice.h"
#include "pngsilent.h"
#include "rows.h"

namespace {

// Everything one encode holds.
struct Encode
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  FILE* fp = nullptr;
  unsigned char* row = nullptr;
};

// Encodes rows into e->fp; false on any libpng error, which returns through the jump buffer set
// here (all state lives in *e, which outlives this function).
bool encodeBody(Encode* e, const LICE_Rows* rows, bool wantalpha)
{
  if (setjmp(png_jmpbuf(e->png))) return false;
  png_init_io(e->png, e->fp);
  png_set_IHDR(e->png, e->info, (png_uint_32)rows->width, (png_uint_32)rows->height, 8,
               wantalpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(e->png, e->info);
  const int bpp = wantalpha ? 4 : 3;
  for (int y = 0; y < rows->height; y++) {
    const LICE_pixel* p = rows->row(y);
    unsigned char* o = e->row;
    for (int x = 0; x < rows->width; x++, o += bpp) {
      o[0] = (unsigned char)LICE_GETR(p[x]);
      o[1] = (unsigned char)LICE_GETG(p[x]);
      o[2] = (unsigned char)LICE_GETB(p[x]);
      if (wantalpha) o[3] = (unsigned char)LICE_GETA(p[x]);
    }
    png_write_row(e->png, e->row);
  }
  png_write_end(e->png, e->info);
  return true;
}

}  // namespace

bool LICE_WritePNG(const char* filename, LICE_IBitmap* bmp, bool wantalpha)
{
  const LICE_Rows rows(bmp);
  if (!filename || rows.empty()) return false;

  AtomicFile file(filename, 0644);
  Encode e;
  e.fp = file.File();
  e.row = static_cast<unsigned char*>(malloc((size_t)rows.width * 4));
  if (e.fp && e.row) e.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, LICE_PNGError, LICE_PNGWarning);
  if (e.png) e.info = png_create_info_struct(e.png);
  const bool ok = e.info && encodeBody(&e, &rows, wantalpha);

  if (e.png) png_destroy_write_struct(&e.png, e.info ? &e.info : nullptr);
  free(e.row);
  return ok && file.Commit();
}
