// Blit speed on an editor-sized bitmap (367 x 630): the full-weight copy against a plain memcpy of
// the same pixel bytes, a source-alpha blit and scaled blits.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "raster/lice.h"

namespace {

const int kW = 367, kH = 630;

// A source with varied colours and alpha.
void FillSource(LICE_IBitmap* bm)
{
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++)
      bm->getBits()[y * bm->getRowSpan() + x] = LICE_RGBA(x * 3, y * 5, x ^ y, (x + y) & 0xff);
}

void BM_MemcpySameBytes(benchmark::State& state)
{
  std::vector<LICE_pixel> a((size_t)kW * kH, 0x80402010), b((size_t)kW * kH);
  for (auto _ : state) {
    memcpy(b.data(), a.data(), a.size() * sizeof(LICE_pixel));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)a.size() * 4);
}
BENCHMARK(BM_MemcpySameBytes);

void BM_CopyBlit(benchmark::State& state)
{
  LICE_MemBitmap src(kW, kH), dest(kW, kH);
  FillSource(&src);
  for (auto _ : state) {
    LICE_Blit(&dest, &src, 0, 0, nullptr, 1.0f, LICE_BLIT_MODE_COPY);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)kW * kH * 4);
}
BENCHMARK(BM_CopyBlit);

void BM_SourceAlphaBlit(benchmark::State& state)
{
  LICE_MemBitmap src(kW, kH), dest(kW, kH);
  FillSource(&src);
  LICE_Clear(&dest, 0xFF808080);
  const float weight = state.range(0) / 100.0f;
  for (auto _ : state) {
    LICE_Blit(&dest, &src, 0, 0, nullptr, weight, LICE_BLIT_MODE_COPY | LICE_BLIT_USE_ALPHA);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * (int64_t)kW * kH * 4);
}
BENCHMARK(BM_SourceAlphaBlit)->Arg(100)->Arg(60);

// Scaled blit of the whole picture onto a rectangle of the given percentage of its size.
void BM_ScaledBlit(benchmark::State& state)
{
  LICE_MemBitmap src(kW, kH), dest(kW * 2, kH * 2);
  FillSource(&src);
  const int w = kW * (int)state.range(0) / 100, h = kH * (int)state.range(0) / 100;
  const int mode = (int)state.range(1);
  for (auto _ : state) {
    LICE_ScaledBlit(&dest, &src, 0, 0, w, h, 0, 0, kW, kH, 1.0f, mode);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * (int64_t)w * h);
}
BENCHMARK(BM_ScaledBlit)
    ->Args({150, 0})
    ->Args({150, LICE_BLIT_FILTER_BILINEAR})
    ->Args({50, LICE_BLIT_FILTER_BILINEAR})
    ->Args({150, LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_USE_ALPHA});

void BM_RotatedBlit(benchmark::State& state)
{
  LICE_MemBitmap src(kW, kH), dest(kW, kH);
  FillSource(&src);
  for (auto _ : state) {
    LICE_RotatedBlit(&dest, &src, 0, 0, kW, kH, 0, 0, kW, kH, 0.3f, false, 1.0f,
                     LICE_BLIT_FILTER_BILINEAR | LICE_BLIT_USE_ALPHA);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * (int64_t)kW * kH);
}
BENCHMARK(BM_RotatedBlit);

}  // namespace
