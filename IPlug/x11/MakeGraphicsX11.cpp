// The X11 window system's editor.
#include "IGraphicsX11.h"
#include "MakeGraphics.h"

IGraphics* MakeGraphics(IPlugBase* plug, int w, int h, int fps) { return new IGraphicsX11(plug, w, h, fps); }
