// Kelvo's editor on an X11 window (under an Xvfb of its own): a full present of the back buffer to
// the window, against copying the back buffer in memory; a full strict redraw and present; and the
// processor time an open editor with nothing moving takes (reported as a share of one core).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IPlug-x11/xserver.h"
#include "Kelvo/Kelvo.h"
#include "Kelvo/KelvoEditor.h"
#include "x11/IGraphicsX11.h"

namespace {

// The folder of the running benchmark.
std::string BinDir()
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  buf[n] = 0;
  std::string path(buf);
  return path.substr(0, path.rfind('/'));
}

struct OpenEditor
{
  OpenEditor()
  {
    server = kelvo_test::SharedXvfb();
    if (!server) return;
    IGraphicsX11::SetDefaultPictureDir((BinDir() + "/../Kelvo.component/Contents/Resources").c_str());
    plug = std::make_unique<Kelvo>(IPlugInstanceInfo());
    gui = static_cast<IGraphicsX11*>(plug->GetGUI());
    gui->SetDisplayName(server->Name().c_str());
    if (!gui->OpenWindow(nullptr)) gui = nullptr;
    for (int i = 0; gui && i < 10; ++i) gui->WaitAndIdle(10);
  }
  kelvo_test::Xvfb* server = nullptr;
  std::unique_ptr<Kelvo> plug;
  IGraphicsX11* gui = nullptr;
};

void FullPresent(benchmark::State& state)
{
  OpenEditor e;
  if (!e.gui) {
    state.SkipWithError("no X server or editor");
    return;
  }
  IRECT all(0, 0, KelvoEditor::kWidth, KelvoEditor::kHeight);
  for (auto _ : state) e.gui->DrawScreen(&all);
  state.counters["shm"] = e.gui->UsesSharedMemory() ? 1 : 0;
}
BENCHMARK(FullPresent)->Unit(benchmark::kMicrosecond);

void FullRedrawAndPresent(benchmark::State& state)
{
  OpenEditor e;
  if (!e.gui) {
    state.SkipWithError("no X server or editor");
    return;
  }
  IRECT all(0, 0, KelvoEditor::kWidth, KelvoEditor::kHeight);
  for (auto _ : state) e.gui->Draw(&all);
}
BENCHMARK(FullRedrawAndPresent)->Unit(benchmark::kMicrosecond);

void BackBufferMemcpy(benchmark::State& state)
{
  OpenEditor e;
  if (!e.gui) {
    state.SkipWithError("no X server or editor");
    return;
  }
  LICE_IBitmap* bb = e.gui->GetDrawBitmap();
  const size_t bytes = (size_t)bb->getRowSpan() * (size_t)bb->getHeight() * 4;
  std::vector<unsigned char> copy(bytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), bb->getBits(), bytes);
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BackBufferMemcpy)->Unit(benchmark::kMicrosecond);

double CpuSeconds()
{
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

double WallSeconds()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Three seconds of an open editor at its refresh rate with nothing moving: the share of a core used.
void IdleEditorCpu(benchmark::State& state)
{
  OpenEditor e;
  if (!e.gui) {
    state.SkipWithError("no X server or editor");
    return;
  }
  double share = 0;
  for (auto _ : state) {
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    while (WallSeconds() - wall0 < 3.0) e.gui->WaitAndIdle(100);
    share = (CpuSeconds() - cpu0) / (WallSeconds() - wall0);
  }
  state.counters["core_percent"] = share * 100.0;
}
BENCHMARK(IdleEditorCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
