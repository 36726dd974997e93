#include "pngfile.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "outfile.h"

namespace {

struct Sink
{
  PendingFile* file;
  std::string err;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t size)
{
  Sink* sink = static_cast<Sink*>(png_get_io_ptr(png));
  if (!sink->file->Write(data, size, sink->err)) png_error(png, "write failed");
}

void Flush(png_structp) {}

// The encoder proper; false when libpng gave up (the reason is in the sink or generic).
bool Encode(Sink* sink, png_bytepp rows, int w, int h)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, WriteBytes, Flush);
  png_set_IHDR(png, info, (png_uint_32)w, (png_uint_32)h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // Rows hold B, G, R, X: swap to RGB order and drop the fourth byte.
  png_set_bgr(png);
  png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePNGFile(const std::string& path, const unsigned char* pixels, int w, int h, size_t bytesPerRow,
                  std::string& err)
{
  if (!pixels || w <= 0 || h <= 0 || bytesPerRow < (size_t)w * 4) {
    err = "no picture to write to '" + path + "'";
    return false;
  }
  std::vector<png_bytep> rows(h);
  for (int y = 0; y < h; ++y) rows[y] = const_cast<png_bytep>(pixels + (size_t)y * bytesPerRow);
  PendingFile file;
  if (!file.Create(path, err)) return false;
  Sink sink{&file, ""};
  if (!Encode(&sink, rows.data(), w, h)) {
    err = sink.err.empty() ? "cannot encode the picture for '" + path + "'" : sink.err;
    return false;
  }
  return file.Commit(err);
}
