#include "X11Surface.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include "X11Errors.h"
#include "raster/lice.h"

namespace {
bool RasterMasks(const Visual* v) { return v->red_mask == 0xFF0000 && v->green_mask == 0xFF00 && v->blue_mask == 0xFF; }

// Whether images of this depth hold 32 bits per pixel on the server.
bool ThirtyTwoBitsPerPixel(Display* pDisplay, int depth)
{
  int n = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(pDisplay, &n);
  bool found = false;
  for (int i = 0; i < n; ++i)
    if (formats[i].depth == depth) found = formats[i].bits_per_pixel == 32;
  if (formats) XFree(formats);
  return found;
}
}  // namespace

bool X11ChooseVisual(Display* pDisplay, int screen, X11Visual* pVisual)
{
  *pVisual = X11Visual();
  if (!ThirtyTwoBitsPerPixel(pDisplay, 24)) return false;
  Visual* def = DefaultVisual(pDisplay, screen);
  if (DefaultDepth(pDisplay, screen) == 24 && def->c_class == TrueColor && RasterMasks(def)) {
    pVisual->visual = def;
    pVisual->depth = 24;
    pVisual->colormap = DefaultColormap(pDisplay, screen);
    return true;
  }
  XVisualInfo info;
  if (!XMatchVisualInfo(pDisplay, screen, 24, TrueColor, &info) || !RasterMasks(info.visual)) return false;
  pVisual->visual = info.visual;
  pVisual->depth = 24;
  pVisual->colormap = XCreateColormap(pDisplay, RootWindow(pDisplay, screen), info.visual, AllocNone);
  pVisual->ownColormap = true;
  return true;
}

void X11FreeVisual(Display* pDisplay, X11Visual* pVisual)
{
  if (pVisual->ownColormap && pVisual->colormap) XFreeColormap(pDisplay, pVisual->colormap);
  *pVisual = X11Visual();
}

X11Surface::X11Surface(Display* pDisplay, const X11Visual& visual, bool allowShm)
    : mDisplay(pDisplay),
      mVisual(visual.visual),
      mDepth(visual.depth),
      mTryShm(allowShm && XShmQueryExtension(pDisplay))
{
}

X11Surface::~X11Surface() { FreeShared(); }

void X11Surface::FreeShared()
{
  if (!mShmImage) return;
  XShmDetach(mDisplay, &mShm);
  XSync(mDisplay, False);
  XDestroyImage(mShmImage);  // frees the structure; data lives in the segment
  shmdt(mShm.shmaddr);
  mShmImage = nullptr;
  mShm = XShmSegmentInfo();
}

bool X11Surface::EnsureShared(int w, int h)
{
  if (mShmImage && mShmImage->width >= w && mShmImage->height >= h) return true;
  FreeShared();
  XImage* image =
      XShmCreateImage(mDisplay, mVisual, (unsigned)mDepth, ZPixmap, nullptr, &mShm, (unsigned)w, (unsigned)h);
  if (!image) {
    mTryShm = false;
    return false;
  }
  mShm.shmid = shmget(IPC_PRIVATE, (size_t)image->bytes_per_line * (size_t)h, IPC_CREAT | 0600);
  void* addr = mShm.shmid >= 0 ? shmat(mShm.shmid, nullptr, 0) : (void*)-1;
  if (addr == (void*)-1) {
    if (mShm.shmid >= 0) shmctl(mShm.shmid, IPC_RMID, nullptr);
    XDestroyImage(image);
    mShm = XShmSegmentInfo();
    mTryShm = false;
    return false;
  }
  mShm.shmaddr = image->data = static_cast<char*>(addr);
  mShm.readOnly = False;
  // A server on another machine refuses the segment: trap that and use the connection instead.
  bool attached;
  {
    X11ErrorTrap trap(mDisplay);
    attached = XShmAttach(mDisplay, &mShm);
    XSync(mDisplay, False);
    attached = attached && trap.Count() == 0;
  }
  // The segment goes away with its last user.
  shmctl(mShm.shmid, IPC_RMID, nullptr);
  if (!attached) {
    image->data = nullptr;
    XDestroyImage(image);
    shmdt(addr);
    mShm = XShmSegmentInfo();
    mTryShm = false;
    return false;
  }
  mShmImage = image;
  return true;
}

bool X11Surface::Put(Drawable drawable, GC gc, LICE_IBitmap* pBitmap, int x, int y, int w, int h)
{
  if (!pBitmap || !pBitmap->getBits() || !drawable) return false;
  const int bw = pBitmap->getWidth(), bh = pBitmap->getHeight(), span = pBitmap->getRowSpan();
  if (x < 0) {
    w += x;
    x = 0;
  }
  if (y < 0) {
    h += y;
    y = 0;
  }
  if (w > bw - x) w = bw - x;
  if (h > bh - y) h = bh - y;
  if (w <= 0 || h <= 0) return false;

  if (mTryShm && EnsureShared(bw, bh)) {
    const char* src = reinterpret_cast<const char*>(pBitmap->getBits());
    for (int row = y; row < y + h; ++row)
      std::memcpy(mShmImage->data + (size_t)row * mShmImage->bytes_per_line + (size_t)x * 4,
                  src + ((size_t)row * span + x) * 4, (size_t)w * 4);
    XShmPutImage(mDisplay, drawable, gc, mShmImage, x, y, x, y, (unsigned)w, (unsigned)h, False);
    // The segment is written again by the next Put: the server must be done with it.
    XSync(mDisplay, False);
    return true;
  }
  XImage* image = XCreateImage(mDisplay, mVisual, (unsigned)mDepth, ZPixmap, 0,
                               reinterpret_cast<char*>(pBitmap->getBits()), (unsigned)bw, (unsigned)bh, 32, span * 4);
  if (!image) return false;
  image->byte_order = LSBFirst;  // raster pixels are little-endian words; Xlib swaps for other servers
  XPutImage(mDisplay, drawable, gc, image, x, y, x, y, (unsigned)w, (unsigned)h);
  image->data = nullptr;  // the bitmap keeps its pixels
  XDestroyImage(image);
  XFlush(mDisplay);
  return true;
}
