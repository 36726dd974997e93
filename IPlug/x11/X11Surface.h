#pragma once

// Putting raster bitmaps on X windows: the visual whose pixels are the raster's own, and a
// surface that copies areas of a bitmap to a drawable through shared memory (MIT-SHM) when the
// server offers it, else through the connection.

#include "X11Lib.h"

class LICE_IBitmap;

// A 24-bit TrueColor visual with red 0xFF0000, green 0xFF00, blue 0xFF and 32 bits per pixel,
// so raster pixels (B, G, R, A in memory) go to the server unconverted; its colormap.
struct X11Visual
{
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = 0;
  bool ownColormap = false;
};

// Finds that visual on the screen (the default one when it fits); false when the screen has none.
bool X11ChooseVisual(Display* pDisplay, int screen, X11Visual* pVisual);
// Frees a colormap made for the visual.
void X11FreeVisual(Display* pDisplay, X11Visual* pVisual);

class X11Surface
{
public:
  // A surface for windows of that visual; shared memory is tried when allowShm is set.
  X11Surface(Display* pDisplay, const X11Visual& visual, bool allowShm = true);
  // Detaches and frees the shared segment.
  ~X11Surface();
  X11Surface(const X11Surface&) = delete;
  X11Surface& operator=(const X11Surface&) = delete;

  // Copies the area (x, y, w, h) of the bitmap (clipped to it) to the same place of the drawable
  // and waits until the server has it. False when nothing could be sent.
  bool Put(Drawable drawable, GC gc, LICE_IBitmap* pBitmap, int x, int y, int w, int h);
  // Whether the last Put went through shared memory.
  bool UsesSharedMemory() const { return mShmImage != nullptr; }

private:
  // A shared image of at least w x h; false (and shared memory given up) when it cannot be had.
  bool EnsureShared(int w, int h);
  void FreeShared();

  Display* mDisplay;
  Visual* mVisual;
  int mDepth;
  bool mTryShm;
  XShmSegmentInfo mShm{};
  XImage* mShmImage = nullptr;
};
