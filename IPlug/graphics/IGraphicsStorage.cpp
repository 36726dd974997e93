#include "IGraphicsStorage.h"

#include <cstring>

#include "IGraphicsStructs.h"
#include "raster/lice.h"
#include "raster/text.h"

BitmapStorage s_bitmapCache;
FontStorage s_fontCache;

BitmapStorage::~BitmapStorage()
{
  // Several entries may hold one picture (retained handles): delete each picture once.
  for (int i = mBitmaps.GetSize() - 1; i >= 0; --i) {
    BitmapKey* key = mBitmaps.Get(i);
    bool later = false;
    for (int j = 0; j < i; ++j) later = later || mBitmaps.Get(j)->bitmap == key->bitmap;
    if (!later) delete key->bitmap;
    delete key;
  }
  mBitmaps.Empty(false);
}

LICE_IBitmap* BitmapStorage::Find(int ID, bool* pOpaque)
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i) {
    const BitmapKey* key = mBitmaps.Get(i);
    if (key->id != ID) continue;
    if (pOpaque) *pOpaque = key->opaque;
    return key->bitmap;
  }
  return nullptr;
}

void BitmapStorage::Add(LICE_IBitmap* pBitmap, int ID, bool opaque)
{
  WDL_MutexLock lock(&mMutex);
  mBitmaps.Add(new BitmapKey{ID, pBitmap, opaque});
}

void BitmapStorage::Remove(LICE_IBitmap* pBitmap)
{
  if (!pBitmap) return;
  WDL_MutexLock lock(&mMutex);
  int found = -1, holders = 0;
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i) {
    if (mBitmaps.Get(i)->bitmap != pBitmap) continue;
    if (found < 0) found = i;
    ++holders;
  }
  if (found < 0) return;
  delete mBitmaps.Get(found);
  mBitmaps.Delete(found);
  if (holders == 1) delete pBitmap;
}

int BitmapStorage::Count()
{
  WDL_MutexLock lock(&mMutex);
  return mBitmaps.GetSize();
}

FontStorage::~FontStorage()
{
  for (int i = mFonts.GetSize() - 1; i >= 0; --i) {
    delete mFonts.Get(i)->font;
    delete mFonts.Get(i);
  }
  mFonts.Empty(false);
}

LICE_IFont* FontStorage::Find(const IText* pTxt)
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0, n = mFonts.GetSize(); i < n; ++i) {
    const FontKey* k = mFonts.Get(i);
    if (k->size == pTxt->mSize && k->orientation == pTxt->mOrientation && k->style == pTxt->mStyle &&
        std::strcmp(k->face, pTxt->mFont) == 0)
      return k->font;
  }
  return nullptr;
}

void FontStorage::Add(LICE_IFont* pFont, const IText* pTxt)
{
  FontKey* k = new FontKey{pTxt->mSize, pTxt->mOrientation, pTxt->mStyle, {0}, pFont};
  std::strncpy(k->face, pTxt->mFont, sizeof(k->face) - 1);
  WDL_MutexLock lock(&mMutex);
  mFonts.Add(k);
}

int FontStorage::Count()
{
  WDL_MutexLock lock(&mMutex);
  return mFonts.GetSize();
}
