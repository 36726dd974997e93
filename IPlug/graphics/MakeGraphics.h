// The editor a product builds, made by whichever window system the product links: each window
// library (the macOS one, the X11 one) defines MakeGraphics, so the choice is made at link time.
#pragma once

class IGraphics;
class IPlugBase;

// A w x h editor for plug refreshing fps times a second (0: the default), finding its pictures
// through the plug-in's bundle. Attach it with AttachGraphics, which takes ownership.
IGraphics* MakeGraphics(IPlugBase* plug, int w, int h, int fps = 0);
