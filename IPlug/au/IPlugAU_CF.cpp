#include "IPlugAU_CF.h"
#include "IPlugStructs.h"

#include <string.h>

namespace {
// A new key string for one lookup or insertion; the caller releases it.
CFStringRef MakeKey(const char* key)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
}

// Sets value under key and gives back the caller's reference to value.
void SetOwnedValue(CFMutableDictionaryRef pDict, const char* key, CFTypeRef value)
{
  CFStringRef cfKey = MakeKey(key);
  if (cfKey && value) CFDictionarySetValue(pDict, cfKey, value);
  if (cfKey) CFRelease(cfKey);
  if (value) CFRelease(value);
}

// The value under key when it has the wanted type, else null.
CFTypeRef GetTypedValue(CFDictionaryRef pDict, const char* key, CFTypeID typeID)
{
  if (!pDict) return nullptr;
  CFStringRef cfKey = MakeKey(key);
  if (!cfKey) return nullptr;
  CFTypeRef value = CFDictionaryGetValue(pDict, cfKey);
  CFRelease(cfKey);
  return (value && CFGetTypeID(value) == typeID) ? value : nullptr;
}

CFAUPreset* Mutable(CFAUPresetRef preset) { return const_cast<CFAUPreset*>(preset); }
}  // namespace

void PutNumberInDict(CFMutableDictionaryRef pDict, const char* key, const void* pNumber, CFNumberType numberType)
{
  SetOwnedValue(pDict, key, CFNumberCreate(kCFAllocatorDefault, numberType, pNumber));
}

void PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* str)
{
  SetOwnedValue(pDict, key, CFStringCreateWithCString(kCFAllocatorDefault, str, kCFStringEncodingUTF8));
}

void PutDataInDict(CFMutableDictionaryRef pDict, const char* key, ByteChunk* pChunk)
{
  SetOwnedValue(pDict, key, CFDataCreate(kCFAllocatorDefault, pChunk->GetBytes(), pChunk->Size()));
}

bool GetStrFromDict(CFDictionaryRef pDict, const char* key, char* value, int valueSize)
{
  if (valueSize <= 0) return false;
  value[0] = '\0';
  CFStringRef str = (CFStringRef)GetTypedValue(pDict, key, CFStringGetTypeID());
  if (!str) return false;
  if (!CFStringGetCString(str, value, valueSize, kCFStringEncodingUTF8)) {
    value[0] = '\0';
    return false;
  }
  return true;
}

bool GetDataFromDict(CFDictionaryRef pDict, const char* key, ByteChunk* pChunk)
{
  CFDataRef data = (CFDataRef)GetTypedValue(pDict, key, CFDataGetTypeID());
  if (!data) return false;
  int n = (int)CFDataGetLength(data);
  pChunk->Resize(n);
  if (n > 0) memcpy(pChunk->GetBytes(), CFDataGetBytePtr(data), n);
  return true;
}

bool DictHasKey(CFDictionaryRef pDict, const char* key)
{
  if (!pDict) return false;
  CFStringRef cfKey = MakeKey(key);
  if (!cfKey) return false;
  const bool has = CFDictionaryGetValue(pDict, cfKey) != nullptr;
  CFRelease(cfKey);
  return has;
}

bool GetSInt32FromDict(CFDictionaryRef pDict, const char* key, SInt32* pValue)
{
  CFNumberRef num = (CFNumberRef)GetTypedValue(pDict, key, CFNumberGetTypeID());
  return num && CFNumberGetValue(num, kCFNumberSInt32Type, pValue);
}

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name)
{
  CFAUPreset* preset = (CFAUPreset*)CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!preset) return nullptr;
  preset->au.presetNumber = presetNumber;
  preset->au.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->reserved = 0;
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset)
{
  if (preset) {
    CFAUPreset* p = Mutable(preset);
    if (p->au.presetName) CFRetain(p->au.presetName);
    ++p->retainCount;
  }
  return preset;
}

void CFAUPresetRelease(CFAUPresetRef preset)
{
  if (!preset || preset->retainCount <= 0) return;
  CFAUPreset* p = Mutable(preset);
  if (p->au.presetName) CFRelease(p->au.presetName);
  if (--p->retainCount == 0) {
    p->au.presetName = nullptr;
    p->au.presetNumber = 0;
    CFAllocatorDeallocate(p->allocator, p);
  }
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef, const void* preset)
{
  return CFAUPresetRetain((CFAUPresetRef)preset);
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef, const void* preset) { CFAUPresetRelease((CFAUPresetRef)preset); }

Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2)
{
  CFAUPresetRef a = (CFAUPresetRef)preset1, b = (CFAUPresetRef)preset2;
  if (a->au.presetNumber != b->au.presetNumber) return false;
  if (!a->au.presetName || !b->au.presetName) return a->au.presetName == b->au.presetName;
  return CFStringCompare(a->au.presetName, b->au.presetName, 0) == kCFCompareEqualTo;
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset)
{
  CFAUPresetRef p = (CFAUPresetRef)preset;
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), (int)p->au.presetNumber,
                                  p->au.presetName);
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks)
{
  if (!callBacks) return;
  callBacks->version = 0;
  callBacks->retain = CFAUPresetArrayRetainCallBack;
  callBacks->release = CFAUPresetArrayReleaseCallBack;
  callBacks->copyDescription = CFAUPresetArrayCopyDescriptionCallBack;
  callBacks->equal = CFAUPresetArrayEqualCallBack;
}

const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack,
                                                    CFAUPresetArrayCopyDescriptionCallBack,
                                                    CFAUPresetArrayEqualCallBack};
