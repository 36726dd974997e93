// The Kelvo editor: the pedal face, the bypass switch, the "GainL" and "OUT" knobs, a "GainM"
// knob outside the window (the host alone moves it) and the link to the product page.
#include "KelvoEditor.h"

#include "IControl.h"
#include "IControls.h"
#include "IGraphics.h"
#include "IPlugBase.h"
#include "Kelvo.h"
#include "MakeGraphics.h"

using namespace KelvoEditor;

namespace {
// A knob of 31 frames at pos, bound to the parameter.
IControl* MakeKnob(IPlugBase* pPlug, IGraphics* pGraphics, const Picture& pic, Point pos, int paramIdx)
{
  IBitmap bitmap = pGraphics->LoadIBitmap(pic.id, pic.file, pic.frames, false);
  return new IKnobMultiControl(pPlug, pos.x, pos.y, paramIdx, &bitmap, kVertical, kKnobGearing);
}
}  // namespace

void AttachKelvoEditor(IPlugBase* pPlug)
{
  IGraphics* pGraphics = MakeGraphics(pPlug, kWidth, kHeight, 0);
  pGraphics->AttachBackground(kBackground.id, kBackground.file);

  IBitmap light = pGraphics->LoadIBitmap(kBypassLight.id, kBypassLight.file, kBypassLight.frames, false);
  pGraphics->AttachControl(new ISwitchControl(pPlug, kBypassPos.x, kBypassPos.y, kBypass, &light));
  pGraphics->AttachControl(MakeKnob(pPlug, pGraphics, kGainMKnob, kGainMPos, kGainM));
  pGraphics->AttachControl(MakeKnob(pPlug, pGraphics, kGainLKnob, kGainLPos, kGainL));
  pGraphics->AttachControl(MakeKnob(pPlug, pGraphics, kOutKnob, kOutPos, kOut));
  pGraphics->AttachControl(new IURLControl(pPlug, IRECT(kLinkL, kLinkT, kLinkR, kLinkB), kProductPage));

  pPlug->AttachGraphics(pGraphics);
}
