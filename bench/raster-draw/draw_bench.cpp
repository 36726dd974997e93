// Time per call of the vector primitives and of cached-font text on an editor-sized bitmap.

#include <benchmark/benchmark.h>

#include "raster/draw.h"
#include "raster/text.h"

namespace {
LICE_MemBitmap& canvas()
{
  static LICE_MemBitmap bm(367, 630);
  return bm;
}

// Lines of every slope across the bitmap: arg 0 weight 1.0, arg 1 weight 0.6 antialiased.
void BM_Line(benchmark::State& state)
{
  const bool aa = state.range(0) != 0;
  const float weight = aa ? 0.6f : 1.0f;
  int i = 0;
  for (auto _ : state) {
    const int k = i++ & 255;
    LICE_Line(&canvas(), 10 + k, 20, 350 - k, 600, 0xFF336699u, weight, 0, aa);
  }
  state.SetLabel(aa ? "antialiased, weight 0.6" : "plain, weight 1.0");
}
BENCHMARK(BM_Line)->Arg(0)->Arg(1);

// Circle outlines and discs of radius 40: arg 0 plain, 1 antialiased.
void BM_Circle(benchmark::State& state)
{
  const bool aa = state.range(0) != 0;
  for (auto _ : state) LICE_Circle(&canvas(), 180.3f, 300.6f, 40.4f, 0xFF336699u, 1.0f, 0, aa);
}
BENCHMARK(BM_Circle)->Arg(0)->Arg(1);

void BM_FillCircle(benchmark::State& state)
{
  const bool aa = state.range(0) != 0;
  for (auto _ : state) LICE_FillCircle(&canvas(), 180.3f, 300.6f, 40.4f, 0xFF336699u, 0.7f, 0, aa);
}
BENCHMARK(BM_FillCircle)->Arg(0)->Arg(1);

// A knob-sized hexagon and a 200 x 200 triangle.
void BM_FillPolygon(benchmark::State& state)
{
  const int x[] = {150, 190, 210, 190, 150, 130}, y[] = {100, 100, 135, 170, 170, 135};
  for (auto _ : state) LICE_FillConvexPolygon(&canvas(), x, y, 6, 0xFF336699u, 0.5f, 0);
}
BENCHMARK(BM_FillPolygon);

void BM_FillTriangle(benchmark::State& state)
{
  for (auto _ : state) LICE_FillTriangle(&canvas(), 20, 20, 220, 60, 90, 220, 0xFF336699u, 1.0f, 0);
}
BENCHMARK(BM_FillTriangle);

// A short label through the glyph cache (half-transparent colour) and measured.
void BM_CachedFontText(benchmark::State& state)
{
  static LICE_CachedFont font;
  static bool ready = false;
  if (!ready) {
    font.SetFromHFont(CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "DejaVu Sans"),
                      LICE_FONT_FLAG_OWNS_HFONT | LICE_FONT_FLAG_FORCE_NATIVE);
    font.SetTextColor(0x80202020u);
    ready = true;
  }
  // 0: glyph cache, 1: glyph-cache measuring, 2: opaque text drawn by the platform on a system bitmap.
  const int kind = (int)state.range(0);
  static LICE_SysBitmap sys(367, 630);
  const UINT flags = DT_CENTER | (kind == 1 ? DT_CALCRECT : 0) | (kind == 2 ? 0 : LICE_DT_USEFGALPHA);
  LICE_IBitmap* dest = kind == 2 ? static_cast<LICE_IBitmap*>(&sys) : &canvas();
  for (auto _ : state) {
    RECT r = {20, 40, 300, 60};
    benchmark::DoNotOptimize(font.DrawText(dest, "Output 12.5 dB", -1, &r, flags));
  }
  const char* labels[] = {"glyph cache", "measure", "native"};
  state.SetLabel(labels[kind]);
}
BENCHMARK(BM_CachedFontText)->Arg(0)->Arg(1)->Arg(2);
}  // namespace
