// Speed of the GDI layer's hot calls: text drawing, blits, font objects.

#include <benchmark/benchmark.h>

#include "swell/swell.h"

namespace {

// A short editor label drawn antialiased into a memory context.
void BM_DrawTextLabel(benchmark::State& state)
{
  HDC dc = SWELL_CreateMemContext(nullptr, 200, 40);
  HFONT font = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Monaco");
  SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  for (auto _ : state) {
    RECT r = {0, 0, 200, 40};
    benchmark::DoNotOptimize(SWELL_DrawText(dc, "GainM 12.5 dB", -1, &r, DT_CENTER | DT_VCENTER));
  }
  SelectObject(dc, (HGDIOBJ)3);
  DeleteObject(font);
  SWELL_DeleteGfxContext(dc);
}
BENCHMARK(BM_DrawTextLabel);

void BM_MeasureText(benchmark::State& state)
{
  HDC dc = SWELL_CreateMemContext(nullptr, 4, 4);
  HFONT font = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  SelectObject(dc, font);
  for (auto _ : state) {
    RECT r = {0, 0, 0, 0};
    benchmark::DoNotOptimize(SWELL_DrawText(dc, "GainM 12.5 dB", -1, &r, DT_CALCRECT));
  }
  SelectObject(dc, (HGDIOBJ)3);
  DeleteObject(font);
  SWELL_DeleteGfxContext(dc);
}
BENCHMARK(BM_MeasureText);

// The editor's back buffer (367 x 630) copied unscaled, and scaled 2x.
void BM_StretchBlt(benchmark::State& state)
{
  const int scale = (int)state.range(0);
  HDC src = SWELL_CreateMemContext(nullptr, 367, 630);
  HDC dst = SWELL_CreateMemContext(nullptr, 367 * scale, 630 * scale);
  for (auto _ : state) StretchBlt(dst, 0, 0, 367 * scale, 630 * scale, src, 0, 0, 367, 630, SRCCOPY);
  state.SetItemsProcessed(state.iterations() * 367 * 630 * scale * scale);
  SWELL_DeleteGfxContext(dst);
  SWELL_DeleteGfxContext(src);
}
BENCHMARK(BM_StretchBlt)->Arg(1)->Arg(2);

// Font objects made and released per use: pooled records, cached names.
void BM_CreateDeleteFont(benchmark::State& state)
{
  for (auto _ : state) {
    HFONT f = CreateFont(-14, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
    DeleteObject(f);
  }
}
BENCHMARK(BM_CreateDeleteFont);

}  // namespace
