// The product's editor window: an IGraphicsMac that finds its pictures through the plug-in's bundle.
// Include where the editor is built and link IGraphicsMac there.
#pragma once

#include "IGraphicsMac.h"
#include "IPlugAU.h"

// A w x h editor for plug refreshing fps times a second (0: the default), with the plug-in's
// bundle identifier. Attach it with AttachGraphics, which takes ownership.
inline IGraphics* MakeGraphics(IPlugAU* plug, int w, int h, int fps = 0)
{
  IGraphicsMac* pGraphics = new IGraphicsMac(plug, w, h, fps);
  pGraphics->SetBundleID(plug->GetBundleID());
  return pGraphics;
}
