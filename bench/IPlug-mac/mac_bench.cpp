// The editor's screen path: one display cycle of a full 367 x 630 editor (the view draws the
// dirty controls and copies the back buffer into the window), and the copy alone.
#include <AppKit/AppKit.h>
#include <benchmark/benchmark.h>

#include "IControl.h"
#include "IGraphicsCocoa.h"
#include "IGraphicsMac.h"
#include "IPlugBase.h"

namespace {

class BenchPlug : public IPlugBase
{
public:
  BenchPlug()
      : IPlugBase(1, "1-1 2-2", 1, "Bench", "Bench", "Bench", 0x10000, 0x42656e31, 0x42656e63, 0, false, false, false,
                  kAPIAU)
  {
  }
};

struct Editor
{
  static constexpr int W = 367, H = 630;
  BenchPlug plug;
  IGraphicsMac* graphics = new IGraphicsMac(&plug, W, H);
  NSWindow* window =
      NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, W, H), NSTitledWindowMask, NSBackingStoreBuffered, NO);
  Editor()
  {
    plug.AttachGraphics(graphics);
    const IColor grey(255, 90, 90, 90);
    graphics->AttachPanelBackground(&grey);
    graphics->OpenWindow(window->contentView());
  }
  ~Editor()
  {
    graphics->CloseWindow();
    window->close();
  }
};

void BM_FullDisplayCycle(benchmark::State& state)
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  Editor e;
  for (auto _ : state) {
    e.window->display();
    benchmark::DoNotOptimize(e.window->backingBytes());
  }
  pool->drain();
}
BENCHMARK(BM_FullDisplayCycle);

void BM_DrawScreenOnly(benchmark::State& state)
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  Editor e;
  NSGraphicsContext::setCurrentContext(
      NSGraphicsContext::graphicsContextWithGraphicsPort(e.window->backingContext(), NO));
  for (auto _ : state) benchmark::DoNotOptimize(e.graphics->DrawScreen(nullptr));
  NSGraphicsContext::setCurrentContext(nullptr);
  pool->drain();
}
BENCHMARK(BM_DrawScreenOnly);

}  // namespace
