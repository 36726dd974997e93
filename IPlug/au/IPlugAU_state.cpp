// Class-info state of the Audio Unit wrapper.
#include "IPlugAU.h"
#include "IPlugAU_CF.h"

namespace {
const int kMaxPresetNameBytes = 64;

// The component description of the instance's own component.
OSStatus GetOwnDescription(AudioComponentInstance ci, AudioComponentDescription* pDesc)
{
  AudioComponent comp = ci ? AudioComponentInstanceGetComponent(ci) : nullptr;
  if (!comp) return invalidComponentID;
  return AudioComponentGetDescription(comp, pDesc);
}
}  // namespace

OSStatus IPlugAU::GetState(CFPropertyListRef* ppPropList)
{
  AudioComponentDescription cd;
  OSStatus r = GetOwnDescription(mCI, &cd);
  if (r != noErr) return r;

  CFMutableDictionaryRef pDict = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                           &kCFTypeDictionaryValueCallBacks);
  if (!pDict) return coreFoundationUnknownErr;
  SInt32 version = GetEffectVersion(false);
  SInt32 type = (SInt32)cd.componentType, subtype = (SInt32)cd.componentSubType;
  SInt32 mfr = (SInt32)cd.componentManufacturer;
  PutNumberInDict(pDict, kAUPresetVersionKey, &version, kCFNumberSInt32Type);
  PutNumberInDict(pDict, kAUPresetTypeKey, &type, kCFNumberSInt32Type);
  PutNumberInDict(pDict, kAUPresetSubtypeKey, &subtype, kCFNumberSInt32Type);
  PutNumberInDict(pDict, kAUPresetManufacturerKey, &mfr, kCFNumberSInt32Type);
  PutStrInDict(pDict, kAUPresetNameKey, GetPresetName(GetCurrentPresetIdx()));

  ByteChunk chunk;
  if (SerializeState(&chunk)) PutDataInDict(pDict, kAUPresetDataKey, &chunk);
  // A render quality other than 0 is kept under a key of its own, which readers that know
  // nothing of it pass over; at 0 the state is what it was before there were qualities.
  SInt32 quality = GetRenderQuality();
  if (quality > 0) PutNumberInDict(pDict, kAUPresetRenderQualityKey, &quality, kCFNumberSInt32Type);
  *ppPropList = pDict;
  return noErr;
}

OSStatus IPlugAU::SetState(CFPropertyListRef pPropList)
{
  AudioComponentDescription cd;
  OSStatus r = GetOwnDescription(mCI, &cd);
  if (r != noErr) return r;

  CFDictionaryRef pDict = (CFDictionaryRef)pPropList;
  if (!pDict || CFGetTypeID(pDict) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  SInt32 version, type, subtype, mfr;
  char presetName[kMaxPresetNameBytes];
  if (!GetSInt32FromDict(pDict, kAUPresetVersionKey, &version) || !GetSInt32FromDict(pDict, kAUPresetTypeKey, &type) ||
      !GetSInt32FromDict(pDict, kAUPresetSubtypeKey, &subtype) ||
      !GetSInt32FromDict(pDict, kAUPresetManufacturerKey, &mfr) ||
      !GetStrFromDict(pDict, kAUPresetNameKey, presetName, sizeof(presetName)) || (UInt32)type != cd.componentType ||
      (UInt32)subtype != cd.componentSubType || (UInt32)mfr != cd.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;

  // A state without a render quality is one from before the plug-in offered any: it rendered at
  // quality 0. A quality that is not a number from 0 to 127 refuses the state; a plug-in that
  // offers no choice passes over the key, as older ones do.
  const bool offersQuality = GetRenderQuality() >= 0;
  SInt32 quality = kRenderQuality_Min;
  if (offersQuality && DictHasKey(pDict, kAUPresetRenderQualityKey) &&
      (!GetSInt32FromDict(pDict, kAUPresetRenderQualityKey, &quality) || quality < kRenderQuality_Min ||
       quality > kRenderQuality_Max))
    return kAudioUnitErr_InvalidPropertyValue;

  // The data is checked before anything changes, so a refusal leaves the instance as it was.
  ByteChunk chunk;
  if (!GetDataFromDict(pDict, kAUPresetDataKey, &chunk)) return kAudioUnitErr_InvalidPropertyValue;
  // Data that does not read through (cut short, or empty) is refused whole: the values and the
  // preset from before come back instead of a half-applied state.
  ByteChunk backup;
  if (!SerializeState(&backup)) return kAudioUnitErr_InvalidPropertyValue;
  const int presetIdx = GetCurrentPresetIdx();
  RestorePreset(presetName);
  if (UnserializeState(&chunk, 0) <= 0) {
    UnserializeState(&backup, 0);
    mCurrentPresetIdx = presetIdx;
    return kAudioUnitErr_InvalidPropertyValue;
  }
  if (offersQuality) SetRenderQuality(quality);
  RedrawParamControls();
  return noErr;
}
