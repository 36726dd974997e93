// PNG pictures from the main bundle's resources directory. Kept apart from the decoder so that
// only its users depend on the bundle services.

#include <CoreFoundation/CoreFoundation.h>

#include <cstdio>
#include <cstring>

#include "lice.h"

LICE_IBitmap* LICE_LoadPNGFromNamedResource(const char* name, LICE_IBitmap* bmp)
{
  if (!name || strnlen(name, 401) > 400) return nullptr;
  CFBundleRef bundle = CFBundleGetMainBundle();
  CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
  if (!url) return nullptr;
  const size_t kBundlePathMax = 1536;
  static const char kResources[] = "/Contents/Resources/";
  char path[kBundlePathMax + sizeof(kResources) + 400];
  const bool ok = CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), kBundlePathMax);
  CFRelease(url);
  if (!ok) return nullptr;
  snprintf(path + strlen(path), sizeof(path) - strlen(path), "%s%s", kResources, name);
  return LICE_LoadPNG(path, bmp);
}
