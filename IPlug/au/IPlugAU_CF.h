// Core Foundation helpers of the Audio Unit wrapper: class-info dictionary access and the
// reference-counted factory-preset records that fill the factory-preset array.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <AudioToolbox/AudioToolbox.h>

class ByteChunk;

// Sets a new CFNumber of numberType, read from *pNumber, under key (UTF-8 text).
void PutNumberInDict(CFMutableDictionaryRef pDict, const char* key, const void* pNumber, CFNumberType numberType);
// Sets a new CFString of str (UTF-8) under key.
void PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* str);
// Sets a new CFData holding all of the chunk's bytes under key.
void PutDataInDict(CFMutableDictionaryRef pDict, const char* key, ByteChunk* pChunk);
// Copies the string under key as UTF-8 into value (room for valueSize bytes with terminator).
// False, with value emptied, when the key is missing, is not a string or does not fit.
bool GetStrFromDict(CFDictionaryRef pDict, const char* key, char* value, int valueSize);
// Replaces the chunk's contents with the data under key; false when missing or not data.
bool GetDataFromDict(CFDictionaryRef pDict, const char* key, ByteChunk* pChunk);
// Whether the dictionary holds anything under key.
bool DictHasKey(CFDictionaryRef pDict, const char* key);
// Reads the 32-bit signed number under key; false when missing or not a number.
bool GetSInt32FromDict(CFDictionaryRef pDict, const char* key, SInt32* pValue);

// A factory preset as the host sees it: an AUPreset followed by private bookkeeping,
// so a CFAUPreset pointer reads as an AUPreset pointer.
struct CFAUPreset
{
  AUPreset au;
  UInt32 reserved;           // always 0
  CFAllocatorRef allocator;  // the allocator that owns the record
  CFIndex retainCount;       // 1 at creation
};
typedef const CFAUPreset* CFAUPresetRef;

// A new record (count 1) numbered presetNumber holding a copy of name (which may be null);
// null when the allocator has no memory.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name);
// Adds one reference (and one to the name); null passes through.
CFAUPresetRef CFAUPresetRetain(CFAUPresetRef preset);
// Gives back one reference; the last one frees the record. Counts of 0 or less are left alone.
void CFAUPresetRelease(CFAUPresetRef preset);

// The array callbacks over the functions above.
const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* preset);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* preset);
// Equal numbers and equal names.
Boolean CFAUPresetArrayEqualCallBack(const void* preset1, const void* preset2);
// "AUPreset:\npreset number = <n>\npreset name = <name>".
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* preset);

// Fills callBacks (version 0) with the four array callbacks; null is ignored.
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks);
// Filled at load time.
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
