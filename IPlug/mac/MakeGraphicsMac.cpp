// The macOS window system's editor.
#include "IGraphicsMac.h"
#include "IPlugBase.h"
#include "MakeGraphics.h"

IGraphics* MakeGraphics(IPlugBase* plug, int w, int h, int fps)
{
  IGraphicsMac* pGraphics = new IGraphicsMac(plug, w, h, fps);
  pGraphics->SetBundleID(plug->GetBundleID());
  return pGraphics;
}
