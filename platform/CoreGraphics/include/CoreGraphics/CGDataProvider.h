#pragma once
// Data providers: a view of caller memory that images read without copying.

#include <CoreGraphics/CGBase.h>

typedef struct CGDataProvider* CGDataProviderRef;
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

extern "C" {
// A provider over size bytes at data, not copied; the callback (if any) is
// called with info, data and size when the provider is freed. Null for null data.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);
CFTypeID CGDataProviderGetTypeID(void);
}
