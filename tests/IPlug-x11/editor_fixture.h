#pragma once
// A small editor on the X11 window for tests: a background picture, a bitmap knob on a
// floating-point parameter, a switch on a Boolean one, a switch on an enumerated "Off|On" one
// whose right-click opens the menu, a link along the bottom and a catcher that records keys.

#include <time.h>

#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "IControls.h"
#include "IPlug-graphics/graphics_fixture.h"
#include "x11/IGraphicsX11.h"
#include "xserver.h"

namespace kelvo_test {

enum { kKnobParam = 0, kModeParam = 1, kSwitchParam = 2, kSpareParam = 3 };
constexpr int kEditorW = 200, kEditorH = 160;
constexpr int kKnobX = 20, kKnobY = 20, kKnobSize = 40;
constexpr int kSwitchX = 100, kSwitchY = 20, kModeX = 140, kModeY = 20, kSwitchSize = 30;
constexpr const char* kLink = "https://example.com/product/kelvo/";

class KeyCatcher : public IControl
{
public:
  explicit KeyCatcher(IPlugBase* plug) : IControl(plug, IRECT(), -1) {}
  bool Draw(IGraphics*) override { return true; }
  bool OnKeyDown(int, int, int key) override
  {
    keys.push_back(key);
    return true;
  }
  std::vector<int> keys;
};

inline long long MonoMs()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// Lets the editor handle events and redraw for ms milliseconds.
inline void PumpFor(IGraphicsX11* g, int ms)
{
  const long long end = MonoMs() + ms;
  for (long long left = ms; left > 0; left = end - MonoMs()) g->WaitAndIdle((int)left);
}

// Pumps until the condition holds or ms pass; whether it held.
template <class F>
bool PumpUntil(IGraphicsX11* g, F done, int ms = 2000)
{
  const long long end = MonoMs() + ms;
  while (!done() && MonoMs() < end) g->WaitAndIdle(10);
  return done();
}

// Presses at window point (x, y), moves dy pixels in steps of at most 4 and releases.
inline void DragOn(IGraphicsX11* g, XUser& u, int x, int y, int dy, unsigned button = Button1)
{
  const Window w = g->GetXWindow();
  u.MoveTo(w, x, y);
  PumpFor(g, 20);
  u.Press(button);
  PumpFor(g, 20);
  for (int moved = 0; moved != dy;) {
    const int step = dy - moved > 4 ? 4 : dy - moved < -4 ? -4 : dy - moved;
    moved += step;
    u.MoveTo(w, x, y + moved);
    PumpFor(g, 10);
  }
  u.Release(button);
  PumpFor(g, 60);
}

inline void ClickOn(IGraphicsX11* g, XUser& u, int x, int y, unsigned button = Button1)
{
  u.MoveTo(g->GetXWindow(), x, y);
  PumpFor(g, 20);
  u.Press(button);
  u.Release(button);
  PumpFor(g, 60);
}

struct X11Editor
{
  X11Editor()
      : background(kEditorW, kEditorH),
        knobStrip(kKnobSize, kKnobSize * 31),
        switchStrip(kSwitchSize, kSwitchSize * 2),
        modeStrip(kSwitchSize, kSwitchSize * 2)
  {
    for (int y = 0; y < kEditorH; ++y)
      LICE_FillRect(&background, 0, y, kEditorW, 1, LICE_RGBA(60, 60 + y / 4, 66, 255), 1.0f, 0);
    for (int k = 0; k < 31; ++k)
      LICE_FillRect(&knobStrip, 0, k * kKnobSize, kKnobSize, kKnobSize, LICE_RGBA(8 * k, 255 - 8 * k, 90, 255), 1.0f,
                    0);
    for (int k = 0; k < 2; ++k) {
      LICE_FillRect(&switchStrip, 0, k * kSwitchSize, kSwitchSize, kSwitchSize, LICE_RGBA(200 * k, 40, 40, 255), 1.0f,
                    0);
      LICE_FillRect(&modeStrip, 0, k * kSwitchSize, kSwitchSize, kSwitchSize, LICE_RGBA(40, 40, 200 * k, 255), 1.0f, 0);
    }
    plug.GetParam(kKnobParam)->InitDouble("OUT", -15.0, -40.0, 0.0, 0.01, "", "", 1.0);
    plug.GetParam(kModeParam)->InitEnum("Mode", 1, 2);
    plug.GetParam(kModeParam)->SetDisplayText(0, "Off");
    plug.GetParam(kModeParam)->SetDisplayText(1, "On");
    plug.GetParam(kSwitchParam)->InitBool("Bypass", false);
    plug.GetParam(kSpareParam)->InitDouble("Spare", 0.5, 0.0, 1.0, 0.01, "", "", 1.0);

    gui = new IGraphicsX11(&plug, kEditorW, kEditorH);
    if (SharedXvfb()) gui->SetDisplayName(SharedXvfb()->Name().c_str());
    IBitmap bg(&background, kEditorW, kEditorH);
    gui->AttachControl(new IBitmapControl(&plug, 0, 0, -1, &bg));
    IBitmap knob(&knobStrip, kKnobSize, kKnobSize * 31, 31);
    IControl* k = new IKnobMultiControl(&plug, kKnobX, kKnobY, kKnobParam, &knob, kVertical, 4.0);
    k->DisablePrompt(false);
    gui->AttachControl(k);
    IBitmap sw(&switchStrip, kSwitchSize, kSwitchSize * 2, 2);
    gui->AttachControl(new ISwitchControl(&plug, kSwitchX, kSwitchY, kSwitchParam, &sw));
    IBitmap mode(&modeStrip, kSwitchSize, kSwitchSize * 2, 2);
    IControl* m = new IBitmapControl(&plug, kModeX, kModeY, kModeParam, &mode);
    m->DisablePrompt(false);
    gui->AttachControl(m);
    gui->AttachControl(new IURLControl(&plug, IRECT(0, 130, kEditorW, kEditorH), kLink));
    catcher = new KeyCatcher(&plug);
    gui->AttachKeyCatcher(catcher);
    plug.AttachGraphics(gui);
  }

  void Pump(int ms) { PumpFor(gui, ms); }
  template <class F>
  bool PumpUntil(F done, int ms = 2000)
  {
    return kelvo_test::PumpUntil(gui, done, ms);
  }
  Window W() const { return gui->GetXWindow(); }
  double Value(int param) { return plug.GetParam(param)->Value(); }

  LICE_MemBitmap background, knobStrip, switchStrip, modeStrip;
  TestPlug plug;
  IGraphicsX11* gui = nullptr;  // owned by the plug
  KeyCatcher* catcher = nullptr;
};

}  // namespace kelvo_test
