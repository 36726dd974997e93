// A full strict redraw of an editor the size of the product's, against copying its back buffer.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "IControl.h"
#include "graphics_fixture.h"

namespace {

struct BenchEditor
{
  BenchEditor() : gui(new kelvo_test::RecordingGraphics(&plug, 367, 630))
  {
    // The background is loaded as the product loads its opaque panel picture.
    gui->pictures[101] = {367, 630};
    IBitmap b = gui->LoadIBitmap(101, "bg.png");
    knobs = new LICE_MemBitmap(48, 48 * 31);
    for (int k = 0; k < 31; ++k) LICE_FillRect(knobs, 0, 48 * k, 48, 48, LICE_RGBA(8 * k, 100, 200, 200), 1.0f, 0);
    gui->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &b));
    IBitmap k(knobs, 48, 48 * 31, 31);
    const int pos[4][2] = {{89, 75}, {216, 75}, {89, 200}, {216, 200}};
    for (int i = 0; i < 4; ++i) gui->AttachControl(new IBitmapControl(&plug, pos[i][0], pos[i][1], i, &k));
    plug.AttachGraphics(gui);
  }
  ~BenchEditor() { delete knobs; }
  kelvo_test::TestPlug plug;
  kelvo_test::RecordingGraphics* gui;
  LICE_MemBitmap* knobs;
};

void StrictRedraw(benchmark::State& state)
{
  BenchEditor e;
  IRECT all(0, 0, 367, 630);
  for (auto _ : state) {
    e.gui->Draw(&all);
    benchmark::DoNotOptimize(e.gui->GetBits());
  }
}
BENCHMARK(StrictRedraw);

void BackBufferMemcpy(benchmark::State& state)
{
  BenchEditor e;
  LICE_SysBitmap* bb = e.gui->GetDrawBitmap();
  const size_t bytes = (size_t)bb->getRowSpan() * (size_t)bb->getHeight() * 4;
  std::vector<unsigned char> copy(bytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), bb->getBits(), bytes);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BackBufferMemcpy);

}  // namespace
