// The raster primitives with arbitrary geometry, weights and modes, on bitmaps whose pixel
// storage is exactly their size (so any write outside them is caught), upright and flipped.
#include "FuzzInput.h"
#include "raster/draw.h"
#include "raster/lice.h"

#include <vector>

namespace {
class ExactBitmap : public LICE_IBitmap
{
public:
  ExactBitmap(int w, int h, bool flipped) : mW(w), mH(h), mFlipped(flipped), mBits((size_t)w * h, 0x80402010u) {}
  LICE_pixel* getBits() override { return mBits.data(); }
  int getWidth() override { return mW; }
  int getHeight() override { return mH; }
  int getRowSpan() override { return mW; }
  bool isFlipped() override { return mFlipped; }
  bool resize(int w, int h) override
  {
    if (w == mW && h == mH) return false;
    mW = w < 0 ? 0 : w;
    mH = h < 0 ? 0 : h;
    mBits.assign((size_t)mW * mH, 0);
    return true;
  }

private:
  int mW, mH;
  bool mFlipped;
  std::vector<LICE_pixel> mBits;
};

// Mostly near the bitmap, now and then anywhere an int reaches.
int Coord(FuzzInput& in) { return in.TakeBool() && in.TakeBool() ? in.Take<int>() : in.TakeInt(-60, 100); }
float FCoord(FuzzInput& in)
{
  switch (in.Take<uint8_t>() % 4) {
    case 0:
      return in.Take<float>();
    case 1:
      return (float)in.TakeInt(-60, 100) + 0.25f;
    default:
      return (float)in.TakeInt(-600, 1000) / 10.0f;
  }
}
float Alpha(FuzzInput& in)
{
  static const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, -1.0f, 2.0f, 0.3f};
  return in.TakeBool() ? kAlphas[in.Take<uint8_t>() % 8] : in.Take<float>();
}
int Mode(FuzzInput& in) { return in.TakeBool() ? in.Take<int>() : in.TakeInt(0, 6) | (in.TakeBool() ? 0x10100 : 0); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  ExactBitmap dest(in.TakeInt(0, 40), in.TakeInt(0, 30), in.TakeBool());
  ExactBitmap src(in.TakeInt(0, 17), in.TakeInt(0, 13), in.TakeBool());
  for (int op = 0; op < 12 && in.Left(); ++op) {
    const LICE_pixel c = in.Take<LICE_pixel>();
    switch (in.Take<uint8_t>() % 20) {
      case 0:
        LICE_Blit(&dest, &src, Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Alpha(in), Mode(in));
        break;
      case 1:
        LICE_Blit(&dest, &dest, Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Alpha(in), Mode(in));
        break;
      case 2:
        LICE_ScaledBlit(&dest, &src, Coord(in), Coord(in), Coord(in), Coord(in), FCoord(in), FCoord(in), FCoord(in),
                        FCoord(in), Alpha(in), Mode(in));
        break;
      case 3:
        LICE_RotatedBlit(&dest, &src, Coord(in), Coord(in), in.TakeInt(-80, 80), in.TakeInt(-80, 80), FCoord(in),
                         FCoord(in), FCoord(in), FCoord(in), FCoord(in), in.TakeBool(), Alpha(in), Mode(in), FCoord(in),
                         FCoord(in));
        break;
      case 4:
        LICE_FillRect(&dest, Coord(in), Coord(in), Coord(in), Coord(in), c, Alpha(in), Mode(in));
        break;
      case 5:
        LICE_GradRect(&dest, Coord(in), Coord(in), Coord(in), Coord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in),
                      FCoord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in),
                      Mode(in));
        break;
      case 6:
        LICE_Line(&dest, Coord(in), Coord(in), Coord(in), Coord(in), c, Alpha(in), Mode(in), in.TakeBool());
        break;
      case 7:
        LICE_DrawRect(&dest, Coord(in), Coord(in), Coord(in), Coord(in), c, Alpha(in), Mode(in));
        break;
      case 8:
        LICE_Circle(&dest, FCoord(in), FCoord(in), FCoord(in), c, Alpha(in), Mode(in), in.TakeBool());
        break;
      case 9:
        LICE_FillCircle(&dest, FCoord(in), FCoord(in), FCoord(in), c, Alpha(in), Mode(in), in.TakeBool());
        break;
      case 10:
        LICE_Arc(&dest, FCoord(in), FCoord(in), FCoord(in), FCoord(in), FCoord(in), c, Alpha(in), Mode(in),
                 in.TakeBool());
        break;
      case 11:
        LICE_RoundRect(&dest, FCoord(in), FCoord(in), FCoord(in), FCoord(in), Coord(in), c, Alpha(in), Mode(in),
                       in.TakeBool());
        break;
      case 12:
        LICE_FillTriangle(&dest, Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), c, Alpha(in),
                          Mode(in));
        break;
      case 13: {
        const int n = in.TakeInt(0, 9);
        int x[9], y[9];
        for (int i = 0; i < n; ++i) x[i] = Coord(in), y[i] = Coord(in);
        LICE_FillConvexPolygon(&dest, x, y, n, c, Alpha(in), Mode(in));
        break;
      }
      case 14:
        LICE_FillTrapezoid(&dest, Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), Coord(in), c, Alpha(in),
                           Mode(in));
        break;
      case 15: {
        const int w = in.TakeInt(0, 12), h = in.TakeInt(0, 12);
        std::vector<LICE_pixel_chan> mask((size_t)w * h ? (size_t)w * h : 1);
        for (auto& m : mask) m = in.Take<uint8_t>();
        LICE_DrawGlyph(&dest, Coord(in), Coord(in), c, mask.data(), w, h, Alpha(in), Mode(in));
        break;
      }
      case 16:
        LICE_Blur(&dest, in.TakeBool() ? &dest : &src, Coord(in), Coord(in), Coord(in), Coord(in), Coord(in),
                  Coord(in));
        break;
      case 17:
        LICE_ClearRect(&dest, Coord(in), Coord(in), Coord(in), Coord(in), c, in.Take<LICE_pixel>());
        break;
      case 18:
        LICE_PutPixel(&dest, Coord(in), Coord(in), c, Alpha(in), Mode(in));
        break;
      default: {
        int x1 = Coord(in), y1 = Coord(in), x2 = Coord(in), y2 = Coord(in);
        const int xlo = in.TakeInt(-60, 100), ylo = in.TakeInt(-60, 100);
        if (LICE_ClipLine(&x1, &y1, &x2, &y2, xlo, ylo, xlo + in.TakeInt(0, 50), ylo + in.TakeInt(0, 50)))
          if (x1 < xlo || y1 < ylo || x2 < xlo || y2 < ylo) __builtin_trap();
        break;
      }
    }
  }
  return 0;
}
