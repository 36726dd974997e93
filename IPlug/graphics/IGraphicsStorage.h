#pragma once
// The process-wide caches of pictures and fonts shared by every editor.

#include "base/mutex.h"
#include "base/ptrlist.h"

class LICE_IBitmap;
class LICE_IFont;
struct IText;

class BitmapStorage
{
public:
  BitmapStorage() : mBitmaps(false) {}
  // Deletes every cached picture.
  ~BitmapStorage();
  // The first picture stored under ID, or null; *pOpaque (when given) tells whether it is opaque.
  LICE_IBitmap* Find(int ID, bool* pOpaque = nullptr);
  // Stores a picture under ID (-1 for made ones), with whether every pixel is opaque; the cache owns it.
  void Add(LICE_IBitmap* pBitmap, int ID = -1, bool opaque = false);
  // Drops one entry for the picture; the pixels are deleted with the last entry that holds them.
  void Remove(LICE_IBitmap* pBitmap);
  // Number of entries (for tests).
  int Count();

private:
  struct BitmapKey
  {
    int id;
    LICE_IBitmap* bitmap;
    bool opaque;
  };
  WDL_PtrList<BitmapKey> mBitmaps;
  WDL_Mutex mMutex;
};

class FontStorage
{
public:
  FontStorage() : mFonts(false) {}
  // Deletes every cached font.
  ~FontStorage();
  // The font stored for the style's size, orientation, style and face, or null.
  LICE_IFont* Find(const IText* pTxt);
  // Stores a font under the style's own size, orientation, style and face; the cache owns it.
  void Add(LICE_IFont* pFont, const IText* pTxt);
  int Count();

private:
  struct FontKey
  {
    int size, orientation, style;
    char face[36];
    LICE_IFont* font;
  };
  WDL_PtrList<FontKey> mFonts;
  WDL_Mutex mMutex;
};

extern BitmapStorage s_bitmapCache;
extern FontStorage s_fontCache;
