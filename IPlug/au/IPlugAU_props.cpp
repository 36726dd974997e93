// Property get, info and set of the Audio Unit wrapper.
#include "IPlugAU.h"
#include "IPlugAU_CF.h"
#include "Log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{
const UInt32 kSystemVersionWithCocoaUI = 0x1050;

// A host's text: parameters with display texts look it up, and a text not found leaves the value
// the host passed in.
constexpr ITextToValueRule kHostTextRule = {ITextToValueRule::kLookUpWhenDisplayTexts, false};

// Records a property's size and writability. True when a value is to be written; otherwise
// *pStatus holds the answer: success for the info call, a refusal for a buffer too short.
bool Fit(const void* pData, UInt32 room, UInt32 size, bool writeable, UInt32* pDataSize, Boolean* pWriteable,
         OSStatus* pStatus)
{
  *pDataSize = size;
  *pWriteable = writeable;
  *pStatus = noErr;
  if (!pData) return false;
  if (room < size)
  {
    *pStatus = kAudioUnitErr_InvalidPropertyValue;
    return false;
  }
  return true;
}

CFStringRef NewCFString(const char* text)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
}

// The 1-based position of the last group equal to group, appending it when absent.
int ClumpID(WDL_PtrList<const char>* pGroups, const char* group)
{
  for (int i = pGroups->GetSize() - 1; i >= 0; --i)
    if (!strcmp(pGroups->Get(i), group)) return i + 1;
  pGroups->Add(group);
  return pGroups->GetSize();
}
}  // namespace

OSStatus IPlugAU::DoGetPropertyInfo(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope,
                                    AudioUnitElement elem, UInt32* pOutDataSize, Boolean* pOutWritable)
{
  UInt32 size = 0;
  Boolean writeable = false;
  if (!pOutDataSize) pOutDataSize = &size;
  if (!pOutWritable) pOutWritable = &writeable;
  *pOutDataSize = 0;
  *pOutWritable = false;
  WDL_MutexLock lock(&_this->mMutex);
  return _this->GetProperty(prop, scope, elem, pOutDataSize, pOutWritable, nullptr);
}

OSStatus IPlugAU::DoGetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope,
                                AudioUnitElement elem, void* pOutData, UInt32* pIODataSize)
{
  UInt32 size = 0;
  Boolean writeable = false;
  if (!pIODataSize) pIODataSize = &size;
  WDL_MutexLock lock(&_this->mMutex);
  return _this->GetProperty(prop, scope, elem, pIODataSize, &writeable, pOutData);
}

OSStatus IPlugAU::DoSetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope,
                                AudioUnitElement elem, const void* pInData, UInt32 dataSize)
{
  WDL_MutexLock lock(&_this->mMutex);
  return _this->SetProperty(prop, scope, elem, &dataSize, pInData);
}

OSStatus IPlugAU::GetParameterInfo(AudioUnitElement element, AudioUnitParameterInfo* pInfo)
{
  IParam* pParam = GetParam((int)element);
  memset(pInfo, 0, sizeof(AudioUnitParameterInfo));
  pInfo->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                 kAudioUnitParameterFlag_CFNameRelease;
  if (pParam->GetCanAutomate()) pInfo->flags |= kAudioUnitParameterFlag_IsWritable;
  if (pParam->GetIsMeta()) pInfo->flags |= kAudioUnitParameterFlag_IsElementMeta;

  const char* name = pParam->GetNameForHost();
  pInfo->cfNameString = NewCFString(name);
  snprintf(pInfo->name, sizeof(pInfo->name), "%s", name);

  switch (pParam->Type())
  {
    case IParam::kTypeBool: pInfo->unit = kAudioUnitParameterUnit_Boolean; break;
    case IParam::kTypeEnum:
    case IParam::kTypeInt: pInfo->unit = kAudioUnitParameterUnit_Indexed; break;
    default:
    {
      const char* label = pParam->GetLabelForHost();
      if (label && *label)
      {
        pInfo->unit = kAudioUnitParameterUnit_CustomUnit;
        pInfo->unitName = NewCFString(label);
      }
      else pInfo->unit = kAudioUnitParameterUnit_Generic;
    }
  }

  pInfo->minValue = (AudioUnitParameterValue)pParam->GetMin();
  pInfo->maxValue = (AudioUnitParameterValue)pParam->GetMax();
  pInfo->defaultValue = (AudioUnitParameterValue)pParam->Value();

  const char* group = pParam->GetParamGroupForHost();
  if (group && *group)
  {
    pInfo->clumpID = ClumpID(&mParamGroups, group);
    pInfo->flags |= kAudioUnitParameterFlag_HasClump;
  }
  return noErr;
}

OSStatus IPlugAU::GetFactoryPresets(CFArrayRef* ppArray)
{
  int n = NPresets();
  CFMutableArrayRef presetArray = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
  if (!presetArray) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i)
  {
    CFStringRef name = NewCFString(GetPresetName(i));
    CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
    if (preset)
    {
      CFArrayAppendValue(presetArray, preset);
      CFAUPresetRelease(preset);
    }
    if (name) CFRelease(name);
  }
  *ppArray = presetArray;
  return noErr;
}

bool IPlugAU::CanDoCocoaUI()
{
  SInt32 version = 0;
  return GetGUI() && Gestalt(gestaltSystemVersion, &version) == noErr && (UInt32)version >= kSystemVersionWithCocoaUI;
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, Boolean* pWriteable, void* pData)
{
  Trace(TRACELOC, "%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", (int)propID, AUPropertyStr(propID), (int)scope,
        AUScopeStr(scope), (int)element);
  const UInt32 room = *pDataSize;
  const bool global = scope == kAudioUnitScope_Global;
  const int nParams = NParams();
  OSStatus status = noErr;

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo:
      if (!Fit(pData, room, sizeof(CFPropertyListRef), pData != nullptr, pDataSize, pWriteable, &status)) return status;
      return GetState((CFPropertyListRef*)pData);

    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
      Fit(pData, room, sizeof(AudioUnitConnection), true, pDataSize, pWriteable, &status);
      return status;

    case kAudioUnitProperty_SampleRate:
      if (!Fit(pData, room, sizeof(Float64), true, pDataSize, pWriteable, &status)) return status;
      *(Float64*)pData = GetSampleRate();
      return noErr;

    case kAudioUnitProperty_ParameterList:
    {
      if (!global)
      {
        *pDataSize = 0;
        return noErr;
      }
      if (!Fit(pData, room, nParams * sizeof(AudioUnitParameterID), false, pDataSize, pWriteable, &status))
        return status;
      AudioUnitParameterID* pIDs = (AudioUnitParameterID*)pData;
      for (int i = 0; i < nParams; ++i) pIDs[i] = i;
      return noErr;
    }

    case kAudioUnitProperty_ParameterInfo:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= (UInt32)nParams) return kAudioUnitErr_InvalidElement;
      if (!Fit(pData, room, sizeof(AudioUnitParameterInfo), false, pDataSize, pWriteable, &status)) return status;
      return GetParameterInfo(element, (AudioUnitParameterInfo*)pData);

    case kAudioUnitProperty_FastDispatch: return GetProc(element, pDataSize, pData);

    case kAudioUnitProperty_StreamFormat:
    {
      BusChannels* pBus = GetBus(scope, element);
      if (!pBus) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(AudioStreamBasicDescription), true, pDataSize, pWriteable, &status)) return status;
      int nChannels = pBus->mNHostChannels < 0 ? pBus->mNPlugChannels : pBus->mNHostChannels;
      MakeDefaultASBD((AudioStreamBasicDescription*)pData, GetSampleRate(), nChannels, false);
      return noErr;
    }

    case kAudioUnitProperty_ElementCount:
    {
      if (!Fit(pData, room, sizeof(UInt32), false, pDataSize, pWriteable, &status)) return status;
      UInt32 n = 0;
      if (global) n = 1;
      else if (scope == kAudioUnitScope_Input) n = mInBuses.GetSize();
      else if (scope == kAudioUnitScope_Output) n = mOutBuses.GetSize();
      *(UInt32*)pData = n;
      return noErr;
    }

    case kAudioUnitProperty_Latency:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(Float64), false, pDataSize, pWriteable, &status)) return status;
      *(Float64*)pData = (double)GetLatency() / GetSampleRate();
      return noErr;

    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      int n = NChannelIO();
      if (!Fit(pData, room, n * sizeof(AUChannelInfo), false, pDataSize, pWriteable, &status)) return status;
      AUChannelInfo* pChInfo = (AUChannelInfo*)pData;
      for (int i = 0; i < n; ++i)
      {
        int nIn, nOut;
        GetChannelIO(i, &nIn, &nOut);
        pChInfo[i].inChannels = (SInt16)nIn;
        pChInfo[i].outChannels = (SInt16)nOut;
      }
      return noErr;
    }

    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(UInt32), true, pDataSize, pWriteable, &status)) return status;
      *(UInt32*)pData = GetBlockSize();
      return noErr;

    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (element >= (UInt32)nParams) return kAudioUnitErr_InvalidElement;
      IParam* pParam = GetParam((int)element);
      int n = pParam->GetNDisplayTexts();
      if (!n)
      {
        *pDataSize = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      if (!Fit(pData, room, sizeof(CFArrayRef), false, pDataSize, pWriteable, &status)) return status;
      CFMutableArrayRef nameArray = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
      if (!nameArray) return coreFoundationUnknownErr;
      for (int i = 0; i < n; ++i)
      {
        CFStringRef str = NewCFString(pParam->GetDisplayTextAtIdx(i));
        if (str)
        {
          CFArrayAppendValue(nameArray, str);
          CFRelease(str);
        }
      }
      *(CFArrayRef*)pData = nameArray;
      return noErr;
    }

    case kAudioUnitProperty_GetUIComponentList:
    {
      if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(AudioComponentDescription), false, pDataSize, pWriteable, &status)) return status;
      AudioComponentDescription* pDesc = (AudioComponentDescription*)pData;
      pDesc->componentType = kAudioUnitCarbonViewComponentType;
      pDesc->componentSubType = GetUniqueID();
      pDesc->componentManufacturer = GetMfrID();
      pDesc->componentFlags = 0;
      pDesc->componentFlagsMask = 0;
      return noErr;
    }

    case kAudioUnitProperty_AudioChannelLayout: return kAudioUnitErr_InvalidPropertyValue;

    case kAudioUnitProperty_TailTime:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(Float64), GetTailSize() > 0, pDataSize, pWriteable, &status)) return status;
      *(Float64*)pData = (double)GetTailSize() / GetSampleRate();
      return noErr;

    case kAudioUnitProperty_BypassEffect:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(UInt32), true, pDataSize, pWriteable, &status)) return status;
      *(UInt32*)pData = IsBypassed() ? 1 : 0;
      return noErr;

    case kAudioUnitProperty_LastRenderError:
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(OSStatus), false, pDataSize, pWriteable, &status)) return status;
      *(OSStatus*)pData = noErr;
      return noErr;

    case kAudioUnitProperty_SetRenderCallback:
      if ((!global && scope != kAudioUnitScope_Input) || element >= (UInt32)mInBuses.GetSize())
        return kAudioUnitErr_InvalidProperty;
      Fit(pData, room, sizeof(AURenderCallbackStruct), true, pDataSize, pWriteable, &status);
      return status;

    case kAudioUnitProperty_FactoryPresets:
      if (!Fit(pData, room, sizeof(CFArrayRef), false, pDataSize, pWriteable, &status)) return status;
      return GetFactoryPresets((CFArrayRef*)pData);

    case kAudioUnitProperty_HostCallbacks:
      if (!global) return kAudioUnitErr_InvalidProperty;
      Fit(pData, room, kHostCallbacksSize, true, pDataSize, pWriteable, &status);
      return status;

    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      if (!Fit(pData, room, sizeof(AUPreset), true, pDataSize, pWriteable, &status)) return status;
      AUPreset* pAUPreset = (AUPreset*)pData;
      int idx = GetCurrentPresetIdx();
      pAUPreset->presetNumber = idx;
      pAUPreset->presetName = NewCFString(GetPresetName(idx));
      return noErr;
    }

    case kAudioUnitProperty_ElementName:
    {
      if (!pData) return kAudioUnitErr_InvalidProperty;
      const WDL_String* pLabel;
      if (scope == kAudioUnitScope_Output)
      {
        if (element >= (UInt32)mOutBuses.GetSize()) return kAudioUnitErr_InvalidElement;
        pLabel = GetOutputBusLabel((int)element);
      }
      else if (scope == kAudioUnitScope_Input)
      {
        if (element > 1) return kAudioUnitErr_InvalidElement;
        pLabel = GetInputBusLabel((int)element);
      }
      else return kAudioUnitErr_InvalidScope;
      if (!Fit(pData, room, sizeof(CFStringRef), false, pDataSize, pWriteable, &status)) return status;
      *(CFStringRef*)pData = NewCFString(pLabel ? pLabel->Get() : "");
      return noErr;
    }

    case kAudioUnitProperty_CocoaUI:
    {
      if (!CanDoCocoaUI()) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(AudioUnitCocoaViewInfo), false, pDataSize, pWriteable, &status)) return status;
      CFStringRef bundleID = NewCFString(GetBundleID());
      CFBundleRef bundle = bundleID ? CFBundleGetBundleWithIdentifier(bundleID) : nullptr;
      if (bundleID) CFRelease(bundleID);
      CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
      if (!url) return kAudioUnitErr_InvalidProperty;
      AudioUnitCocoaViewInfo* pViewInfo = (AudioUnitCocoaViewInfo*)pData;
      pViewInfo->mCocoaAUViewBundleLocation = url;
      pViewInfo->mCocoaAUViewClass[0] = NewCFString(mCocoaViewFactoryClassName.Get());
      return noErr;
    }

    case kAudioUnitProperty_SupportedChannelLayoutTags:
    {
      if (!IsInst() || mOutBuses.GetSize() == 1) return kAudioUnitErr_InvalidProperty;
      if (scope == kAudioUnitScope_Input && !mInBuses.Get(0)) return kAudioUnitErr_InvalidProperty;
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return kAudioUnitErr_InvalidProperty;
      if (element >= (UInt32)mOutBuses.GetSize()) return kAudioUnitErr_InvalidElement;
      if (!Fit(pData, room, sizeof(AudioChannelLayoutTag), true, pDataSize, pWriteable, &status)) return status;
      GetChannelLayoutTags(scope, element, (AudioChannelLayoutTag*)pData);
      return noErr;
    }

    case kAudioUnitProperty_ParameterStringFromValue:
    {
      if (!Fit(pData, room, sizeof(AudioUnitParameterStringFromValue), false, pDataSize, pWriteable, &status))
        return status;
      if (!global) return noErr;
      AudioUnitParameterStringFromValue* pSFV = (AudioUnitParameterStringFromValue*)pData;
      IParam* pParam = GetParam((int)pSFV->inParamID);
      if (!pParam || pSFV->inParamID > 0x7fffffff) return kAudioUnitErr_InvalidElement;
      double value = pSFV->inValue ? *pSFV->inValue : pParam->Value();
      pParam->GetDisplayForHost(value, false, mParamDisplayStr, true);
      pSFV->outString = NewCFString(mParamDisplayStr);
      return noErr;
    }

    case kAudioUnitProperty_ParameterIDName:
    {
      if (!Fit(pData, room, sizeof(AudioUnitParameterIDName), false, pDataSize, pWriteable, &status)) return status;
      if (!global) return noErr;
      AudioUnitParameterIDName* pIDName = (AudioUnitParameterIDName*)pData;
      IParam* pParam = pIDName->inID > 0x7fffffff ? nullptr : GetParam((int)pIDName->inID);
      if (!pParam) return kAudioUnitErr_InvalidElement;
      char cStr[32];
      snprintf(cStr, sizeof(cStr), "%s", pParam->GetNameForHost());
      if (pIDName->inDesiredLength != kAudioUnitParameterName_Full)
      {
        int n = pIDName->inDesiredLength < 31 ? (int)pIDName->inDesiredLength : 31;
        cStr[n < 0 ? 0 : n] = '\0';
      }
      pIDName->outName = NewCFString(cStr);
      return noErr;
    }

    case kAudioUnitProperty_ParameterClumpName:
    {
      if (!Fit(pData, room, sizeof(AudioUnitParameterNameInfo), false, pDataSize, pWriteable, &status)) return status;
      if (!global) return noErr;
      AudioUnitParameterNameInfo* pClumpInfo = (AudioUnitParameterNameInfo*)pData;
      if (pClumpInfo->inID < 1) return kAudioUnitErr_PropertyNotInUse;
      if (pClumpInfo->inID > (UInt32)mParamGroups.GetSize()) return kAudioUnitErr_InvalidElement;
      pClumpInfo->outName = NewCFString(mParamGroups.Get((int)pClumpInfo->inID - 1));
      return noErr;
    }

    case kAudioUnitProperty_ParameterValueFromString:
    {
      if (!Fit(pData, room, sizeof(AudioUnitParameterValueFromString), false, pDataSize, pWriteable, &status))
        return status;
      if (!global) return noErr;
      AudioUnitParameterValueFromString* pVFS = (AudioUnitParameterValueFromString*)pData;
      IParam* pParam = pVFS->inParamID > 0x7fffffff ? nullptr : GetParam((int)pVFS->inParamID);
      if (!pParam) return kAudioUnitErr_InvalidElement;
      if (!pVFS->inString) return kAudioUnitErr_InvalidPropertyValue;
      char cStr[256];
      if (!CFStringGetCString(pVFS->inString, cStr, sizeof(cStr), kCFStringEncodingUTF8))
        return kAudioUnitErr_InvalidPropertyValue;
      double value;
      if (pParam->ValueFromText(cStr, kHostTextRule, &value)) pVFS->outValue = (AudioUnitParameterValue)value;
      return noErr;
    }

    case kIPlugObjectPropertyID:
      if (!Fit(pData, room, sizeof(IPlugAU*), false, pDataSize, pWriteable, &status)) return status;
      *(IPlugAU**)pData = this;
      return noErr;

    case kMusicDeviceProperty_InstrumentCount:
      if (!global || !IsInst()) return kAudioUnitErr_InvalidProperty;
      if (!Fit(pData, room, sizeof(UInt32), false, pDataSize, pWriteable, &status)) return status;
      *(UInt32*)pData = 1;
      return noErr;

    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus IPlugAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* pASBD)
{
  BusChannels* pBus = GetBus(scope, element);
  if (!pBus) return kAudioUnitErr_InvalidProperty;
  pBus->mNHostChannels = 0;
  const int nChannels = (int)pASBD->mChannelsPerFrame;
  // The render reads one 32-bit float buffer per channel, at most kMaxBusChannels of them.
  const bool readable = (pASBD->mFormatFlags & kAudioFormatFlagIsFloat) && pASBD->mBitsPerChannel == 32 &&
                        (nChannels == 1 || (pASBD->mFormatFlags & kAudioFormatFlagIsNonInterleaved));
  const bool accepted = pASBD->mChannelsPerFrame > 0 && pASBD->mChannelsPerFrame <= (UInt32)kMaxBusChannels &&
                        pASBD->mFormatID == kAudioFormatLinearPCM && readable &&
                        CheckLegalIO(scope, (int)element, nChannels);
  Trace(TRACELOC, "%d:%d:%s:%s:%s", (int)element, pBus->mNPlugChannels,
        pASBD->mFormatID == kAudioFormatLinearPCM ? "linearPCM" : "notLinearPCM",
        readable ? "canonicalFormat" : "notCanonicalFormat", accepted ? "connectionOK" : "connectionNotOK");
  if (accepted)
  {
    pBus->mNHostChannels = nChannels;
    if (pASBD->mSampleRate > 0.0) SetSampleRate(pASBD->mSampleRate);
  }
  AssessInputConnections();
  return accepted ? (OSStatus)noErr : (OSStatus)kAudioUnitErr_InvalidProperty;
}

OSStatus IPlugAU::SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn)
{
  if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
      pConn->destInputNumber >= (UInt32)mInBusConnections.GetSize())
    return kAudioUnitErr_InvalidProperty;
  InputBusConnection* pInBusConn = mInBusConnections.Get((int)pConn->destInputNumber);
  memset(pInBusConn, 0, sizeof(InputBusConnection));
  OSStatus result = noErr;
  if (pConn->sourceAudioUnit)
  {
    AudioStreamBasicDescription srcASBD;
    UInt32 size = sizeof(AudioStreamBasicDescription);
    UInt32 destSize = size;
    if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                             pConn->sourceOutputNumber, &srcASBD, &size) != noErr ||
        size < sizeof(AudioStreamBasicDescription) ||
        SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, pConn->destInputNumber, &destSize,
                    &srcASBD) != noErr)
    {
      result = kAudioUnitErr_InvalidProperty;
    }
    else
    {
      pInBusConn->mUpstreamUnit = pConn->sourceAudioUnit;
      pInBusConn->mUpstreamBusIdx = pConn->sourceOutputNumber;
      AudioUnitRenderProc srcRenderProc = nullptr;
      size = sizeof(AudioUnitRenderProc);
      if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &srcRenderProc, &size) == noErr && srcRenderProc)
      {
        pInBusConn->mUpstreamRenderProc = srcRenderProc;
        pInBusConn->mUpstreamObj = GetComponentInstanceStorage((ComponentInstance)pConn->sourceAudioUnit);
      }
    }
  }
  AssessInputConnections();
  return result;
}

OSStatus IPlugAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, const void* pData)
{
  Trace(TRACELOC, "(%d:%s):(%d:%s):%d", (int)propID, AUPropertyStr(propID), (int)scope, AUScopeStr(scope),
        (int)element);
  InformListeners(propID, scope);
  const UInt32 size = pData ? *pDataSize : 0;
  const bool global = scope == kAudioUnitScope_Global;

  switch (propID)
  {
    case kAudioUnitProperty_ClassInfo:
      if (size < sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
      return SetState(*(const CFPropertyListRef*)pData);

    case kAudioUnitProperty_MakeConnection:
      if (size < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
      return SetConnection(scope, (const AudioUnitConnection*)pData);

    case kAudioUnitProperty_SampleRate:
      if (size < sizeof(Float64)) return kAudioUnitErr_InvalidPropertyValue;
      if (!(*(const Float64*)pData > 0.0)) return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(*(const Float64*)pData);
      Reset();
      return noErr;

    case kAudioUnitProperty_StreamFormat:
      if (size < sizeof(AudioStreamBasicDescription)) return kAudioUnitErr_InvalidPropertyValue;
      return SetStreamFormat(scope, element, (const AudioStreamBasicDescription*)pData);

    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      if (size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
      UInt32 frames = *(const UInt32*)pData;
      if (frames < 1 || frames > kMaxFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
      SetBlockSize((int)frames);
      Reset();
      return noErr;
    }

    case kAudioUnitProperty_BypassEffect:
    {
      if (size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
      bool bypassed = *(const UInt32*)pData != 0;
      SetBypassed(bypassed);
      OnActivate(!bypassed);
      Reset();
      return noErr;
    }

    case kAudioUnitProperty_SetRenderCallback:
    {
      if (scope != kAudioUnitScope_Input || element >= (UInt32)mInBusConnections.GetSize())
        return kAudioUnitErr_InvalidProperty;
      if (size < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
      InputBusConnection* pInBusConn = mInBusConnections.Get((int)element);
      memset(pInBusConn, 0, sizeof(InputBusConnection));
      const AURenderCallbackStruct* pCallback = (const AURenderCallbackStruct*)pData;
      if (pCallback->inputProc) pInBusConn->mUpstreamRenderCallback = *pCallback;
      AssessInputConnections();
      return noErr;
    }

    case kAudioUnitProperty_HostCallbacks:
    {
      if (!global) return kAudioUnitErr_InvalidProperty;
      if (size < kHostCallbacksSize) return kAudioUnitErr_InvalidPropertyValue;
      const HostCallbackInfo* pInfo = (const HostCallbackInfo*)pData;
      mHostCallbacks.hostUserData = pInfo->hostUserData;
      mHostCallbacks.beatAndTempoProc = pInfo->beatAndTempoProc;
      mHostCallbacks.musicalTimeLocationProc = pInfo->musicalTimeLocationProc;
      mHostCallbacks.transportStateProc = pInfo->transportStateProc;
      return noErr;
    }

    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
      if (size < sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
      RestorePreset((int)((const AUPreset*)pData)->presetNumber);
      return noErr;

    case kAudioUnitProperty_OfflineRender:
      if (size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
      mIsOffline = *(const UInt32*)pData != 0;
      return noErr;

    case kAudioUnitProperty_AUHostIdentifier:
    {
      if (size < sizeof(AUHostIdentifier)) return kAudioUnitErr_InvalidPropertyValue;
      const AUHostIdentifier* pHostID = (const AUHostIdentifier*)pData;
      char hostName[256] = "";
      if (pHostID->hostName && !CFStringGetCString(pHostID->hostName, hostName, sizeof(hostName), kCFStringEncodingUTF8))
        return kAudioUnitErr_InvalidPropertyValue;
      const AUNumVersion& v = pHostID->hostVersion;
      int version = (v.majorRev << 16) + ((v.minorAndBugRev & 0xF0) << 4) + (v.minorAndBugRev & 0x0F);
      SetHost(hostName, version);
      OnHostIdentified();
      return noErr;
    }

    default: return kAudioUnitErr_InvalidProperty;
  }
}
