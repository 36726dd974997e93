// Property get, info and set of the Audio Unit wrapper.
#include "IPlugAU.h"
#include "IPlugAU_CF.h"
#include "Log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {
const UInt32 kSystemVersionWithCocoaUI = 0x1050;

// A host's text: parameters with display texts look it up, and a text not found leaves the value
// the host passed in.
constexpr ITextToValueRule kHostTextRule = {ITextToValueRule::kLookUpWhenDisplayTexts, false};

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

OSStatus IPlugAU::DoGetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                void* pOutData, UInt32* pIODataSize)
{
  UInt32 size = 0;
  Boolean writeable = false;
  if (!pIODataSize) pIODataSize = &size;
  WDL_MutexLock lock(&_this->mMutex);
  return _this->GetProperty(prop, scope, elem, pIODataSize, &writeable, pOutData);
}

OSStatus IPlugAU::DoSetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                const void* pInData, UInt32 dataSize)
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

  switch (pParam->Type()) {
    case IParam::kTypeBool:
      pInfo->unit = kAudioUnitParameterUnit_Boolean;
      break;
    case IParam::kTypeEnum:
    case IParam::kTypeInt:
      pInfo->unit = kAudioUnitParameterUnit_Indexed;
      break;
    default: {
      const char* label = pParam->GetLabelForHost();
      if (label && *label) {
        pInfo->unit = kAudioUnitParameterUnit_CustomUnit;
        pInfo->unitName = NewCFString(label);
      } else
        pInfo->unit = kAudioUnitParameterUnit_Generic;
    }
  }

  pInfo->minValue = (AudioUnitParameterValue)pParam->GetMin();
  pInfo->maxValue = (AudioUnitParameterValue)pParam->GetMax();
  pInfo->defaultValue = (AudioUnitParameterValue)pParam->Value();

  const char* group = pParam->GetParamGroupForHost();
  if (group && *group) {
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
  for (int i = 0; i < n; ++i) {
    CFStringRef name = NewCFString(GetPresetName(i));
    CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
    if (preset) {
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

// One property call as the handlers see it.
struct IPlugAU::PropertyCall
{
  AudioUnitScope scope;
  AudioUnitElement element;
  void* pData;         // get: where the value goes; null in the info call
  UInt32* pSize;       // get: where the size is reported
  const void* pValue;  // set: the value given (null when none)
  UInt32 size;         // get: the value's size; set: the bytes given (0 without a value)
  bool writable;       // get: reported writable
  OSStatus status;     // a check's answer when it stops the call

  bool Global() const { return scope == kAudioUnitScope_Global; }
  // Stops the call with status.
  bool Stop(OSStatus result)
  {
    status = result;
    return false;
  }
  template <typename T>
  T& Out() const
  {
    return *static_cast<T*>(pData);
  }
  template <typename T>
  const T& In() const
  {
    return *static_cast<const T*>(pValue);
  }
};

// The property handlers and their table. A row's check runs for the info and the get call before
// the size is reported (it may change the size and writability or stop the call with an answer);
// its get writes the value; its set applies one. A row without get or set answers
// kAudioUnitErr_InvalidProperty to that call.
struct IPlugAU::Properties
{
  using Call = PropertyCall;
  using Check = bool (*)(IPlugAU&, Call&);
  using Handler = OSStatus (*)(IPlugAU&, Call&);

  // Scopes in which the info and get calls answer; any other gets kAudioUnitErr_InvalidProperty.
  enum EScopes { kAny, kGlobal, kGlobalOrInput };

  struct Row
  {
    AudioUnitPropertyID id;
    EScopes scopes;
    UInt32 size;    // bytes of the value (the set's minimum)
    bool writable;  // reported by the info call
    Check check;
    Handler get;
    Handler set;
  };

  static const Row kRows[];
  static const Row* Find(AudioUnitPropertyID id);

  static bool InScopes(EScopes scopes, AudioUnitScope scope)
  {
    return scopes == kAny || scope == kAudioUnitScope_Global ||
           (scopes == kGlobalOrInput && scope == kAudioUnitScope_Input);
  }
  // A set value shorter than the row's size.
  static bool Short(const Call& c, const Row& row) { return c.size < row.size; }

  // --- checks ---
  static bool ClassInfoWritable(IPlugAU&, Call& c)
  {
    c.writable = c.pData != nullptr;
    return true;
  }
  static bool ParameterListSize(IPlugAU& au, Call& c)
  {
    if (!c.Global()) {
      *c.pSize = 0;
      return c.Stop(noErr);
    }
    c.size = au.NParams() * sizeof(AudioUnitParameterID);
    return true;
  }
  static bool ParameterElement(IPlugAU& au, Call& c)
  {
    return c.element < (UInt32)au.NParams() || c.Stop(kAudioUnitErr_InvalidElement);
  }
  static bool FastDispatch(IPlugAU&, Call& c) { return c.Stop(GetProc(c.element, c.pSize, c.pData)); }
  static bool StreamFormatBus(IPlugAU& au, Call& c)
  {
    return au.GetBus(c.scope, c.element) || c.Stop(kAudioUnitErr_InvalidProperty);
  }
  static bool ChannelIOSize(IPlugAU& au, Call& c)
  {
    c.size = au.NChannelIO() * sizeof(AUChannelInfo);
    return true;
  }
  static bool HasValueStrings(IPlugAU& au, Call& c)
  {
    if (!ParameterElement(au, c)) return false;
    if (au.GetParam((int)c.element)->GetNDisplayTexts()) return true;
    *c.pSize = 0;
    return c.Stop(kAudioUnitErr_InvalidProperty);
  }
  static bool HasEditor(IPlugAU& au, Call& c) { return au.GetGUI() || c.Stop(kAudioUnitErr_InvalidProperty); }
  static bool NoChannelLayout(IPlugAU&, Call& c) { return c.Stop(kAudioUnitErr_InvalidPropertyValue); }
  static bool TailWritable(IPlugAU& au, Call& c)
  {
    c.writable = au.GetTailSize() > 0;
    return true;
  }
  static bool InputBusElement(IPlugAU& au, Call& c)
  {
    return c.element < (UInt32)au.mInBuses.GetSize() || c.Stop(kAudioUnitErr_InvalidProperty);
  }
  static bool ElementNameBus(IPlugAU& au, Call& c)
  {
    if (!c.pData) return c.Stop(kAudioUnitErr_InvalidProperty);
    if (c.scope == kAudioUnitScope_Output)
      return c.element < (UInt32)au.mOutBuses.GetSize() || c.Stop(kAudioUnitErr_InvalidElement);
    if (c.scope == kAudioUnitScope_Input) return c.element <= 1 || c.Stop(kAudioUnitErr_InvalidElement);
    return c.Stop(kAudioUnitErr_InvalidScope);
  }
  static bool CanDoCocoaUI(IPlugAU& au, Call& c) { return au.CanDoCocoaUI() || c.Stop(kAudioUnitErr_InvalidProperty); }
  static bool LayoutTagsBus(IPlugAU& au, Call& c)
  {
    if (!au.IsInst() || au.mOutBuses.GetSize() == 1) return c.Stop(kAudioUnitErr_InvalidProperty);
    if (c.scope == kAudioUnitScope_Input && !au.mInBuses.Get(0)) return c.Stop(kAudioUnitErr_InvalidProperty);
    if (c.scope != kAudioUnitScope_Input && c.scope != kAudioUnitScope_Output)
      return c.Stop(kAudioUnitErr_InvalidProperty);
    return c.element < (UInt32)au.mOutBuses.GetSize() || c.Stop(kAudioUnitErr_InvalidElement);
  }
  static bool IsInstrument(IPlugAU& au, Call& c) { return au.IsInst() || c.Stop(kAudioUnitErr_InvalidProperty); }
  static bool OffersRenderQuality(IPlugAU& au, Call& c)
  {
    return au.GetRenderQuality() >= 0 || c.Stop(kAudioUnitErr_InvalidProperty);
  }

  // --- gets ---
  static OSStatus Nothing(IPlugAU&, Call&) { return noErr; }
  static OSStatus GetClassInfo(IPlugAU& au, Call& c) { return au.GetState(&c.Out<CFPropertyListRef>()); }
  static OSStatus GetSampleRate(IPlugAU& au, Call& c)
  {
    c.Out<Float64>() = au.GetSampleRate();
    return noErr;
  }
  static OSStatus GetParameterList(IPlugAU& au, Call& c)
  {
    AudioUnitParameterID* pIDs = static_cast<AudioUnitParameterID*>(c.pData);
    for (int i = 0, n = au.NParams(); i < n; ++i) pIDs[i] = i;
    return noErr;
  }
  static OSStatus GetParameterInfo(IPlugAU& au, Call& c)
  {
    return au.GetParameterInfo(c.element, &c.Out<AudioUnitParameterInfo>());
  }
  static OSStatus GetStreamFormat(IPlugAU& au, Call& c)
  {
    const BusChannels* pBus = au.GetBus(c.scope, c.element);
    const int nChannels = pBus->mNHostChannels < 0 ? pBus->mNPlugChannels : pBus->mNHostChannels;
    MakeDefaultASBD(&c.Out<AudioStreamBasicDescription>(), au.GetSampleRate(), nChannels, false);
    return noErr;
  }
  static OSStatus GetElementCount(IPlugAU& au, Call& c)
  {
    UInt32 n = 0;
    if (c.Global())
      n = 1;
    else if (c.scope == kAudioUnitScope_Input)
      n = au.mInBuses.GetSize();
    else if (c.scope == kAudioUnitScope_Output)
      n = au.mOutBuses.GetSize();
    c.Out<UInt32>() = n;
    return noErr;
  }
  static OSStatus GetLatency(IPlugAU& au, Call& c)
  {
    c.Out<Float64>() = (double)au.GetLatency() / au.GetSampleRate();
    return noErr;
  }
  static OSStatus GetSupportedNumChannels(IPlugAU& au, Call& c)
  {
    AUChannelInfo* pChInfo = static_cast<AUChannelInfo*>(c.pData);
    for (int i = 0, n = au.NChannelIO(); i < n; ++i) {
      int nIn, nOut;
      au.GetChannelIO(i, &nIn, &nOut);
      pChInfo[i].inChannels = (SInt16)nIn;
      pChInfo[i].outChannels = (SInt16)nOut;
    }
    return noErr;
  }
  static OSStatus GetMaximumFrames(IPlugAU& au, Call& c)
  {
    c.Out<UInt32>() = au.GetBlockSize();
    return noErr;
  }
  static OSStatus GetParameterValueStrings(IPlugAU& au, Call& c)
  {
    IParam* pParam = au.GetParam((int)c.element);
    const int n = pParam->GetNDisplayTexts();
    CFMutableArrayRef nameArray = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
    if (!nameArray) return coreFoundationUnknownErr;
    for (int i = 0; i < n; ++i) {
      CFStringRef str = NewCFString(pParam->GetDisplayTextAtIdx(i));
      if (str) {
        CFArrayAppendValue(nameArray, str);
        CFRelease(str);
      }
    }
    c.Out<CFArrayRef>() = nameArray;
    return noErr;
  }
  static OSStatus GetUIComponentList(IPlugAU& au, Call& c)
  {
    AudioComponentDescription& desc = c.Out<AudioComponentDescription>();
    desc.componentType = kAudioUnitCarbonViewComponentType;
    desc.componentSubType = au.GetUniqueID();
    desc.componentManufacturer = au.GetMfrID();
    desc.componentFlags = 0;
    desc.componentFlagsMask = 0;
    return noErr;
  }
  static OSStatus GetTailTime(IPlugAU& au, Call& c)
  {
    c.Out<Float64>() = (double)au.GetTailSize() / au.GetSampleRate();
    return noErr;
  }
  static OSStatus GetBypass(IPlugAU& au, Call& c)
  {
    c.Out<UInt32>() = au.IsBypassed() ? 1 : 0;
    return noErr;
  }
  static OSStatus GetLastRenderError(IPlugAU&, Call& c)
  {
    c.Out<OSStatus>() = noErr;
    return noErr;
  }
  static OSStatus GetFactoryPresets(IPlugAU& au, Call& c) { return au.GetFactoryPresets(&c.Out<CFArrayRef>()); }
  static OSStatus GetCurrentPreset(IPlugAU& au, Call& c)
  {
    AUPreset& preset = c.Out<AUPreset>();
    const int idx = au.GetCurrentPresetIdx();
    preset.presetNumber = idx;
    preset.presetName = NewCFString(au.GetPresetName(idx));
    return noErr;
  }
  static OSStatus GetElementName(IPlugAU& au, Call& c)
  {
    const WDL_String* pLabel =
        c.scope == kAudioUnitScope_Output ? au.GetOutputBusLabel((int)c.element) : au.GetInputBusLabel((int)c.element);
    c.Out<CFStringRef>() = NewCFString(pLabel ? pLabel->Get() : "");
    return noErr;
  }
  static OSStatus GetCocoaUI(IPlugAU& au, Call& c)
  {
    CFStringRef bundleID = NewCFString(au.GetBundleID());
    CFBundleRef bundle = bundleID ? CFBundleGetBundleWithIdentifier(bundleID) : nullptr;
    if (bundleID) CFRelease(bundleID);
    CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
    if (!url) return kAudioUnitErr_InvalidProperty;
    AudioUnitCocoaViewInfo& viewInfo = c.Out<AudioUnitCocoaViewInfo>();
    viewInfo.mCocoaAUViewBundleLocation = url;
    viewInfo.mCocoaAUViewClass[0] = NewCFString(au.mCocoaViewFactoryClassName.Get());
    return noErr;
  }
  static OSStatus GetChannelLayoutTags(IPlugAU& au, Call& c)
  {
    au.GetChannelLayoutTags(c.scope, c.element, &c.Out<AudioChannelLayoutTag>());
    return noErr;
  }
  static OSStatus GetParameterStringFromValue(IPlugAU& au, Call& c)
  {
    if (!c.Global()) return noErr;
    AudioUnitParameterStringFromValue& sfv = c.Out<AudioUnitParameterStringFromValue>();
    IParam* pParam = au.GetParam((int)sfv.inParamID);
    if (!pParam || sfv.inParamID > 0x7fffffff) return kAudioUnitErr_InvalidElement;
    const double value = sfv.inValue ? *sfv.inValue : pParam->Value();
    pParam->GetDisplayForHost(value, false, au.mParamDisplayStr, true);
    sfv.outString = NewCFString(au.mParamDisplayStr);
    return noErr;
  }
  static OSStatus GetParameterIDName(IPlugAU& au, Call& c)
  {
    if (!c.Global()) return noErr;
    AudioUnitParameterIDName& idName = c.Out<AudioUnitParameterIDName>();
    IParam* pParam = idName.inID > 0x7fffffff ? nullptr : au.GetParam((int)idName.inID);
    if (!pParam) return kAudioUnitErr_InvalidElement;
    char cStr[32];
    snprintf(cStr, sizeof(cStr), "%s", pParam->GetNameForHost());
    if (idName.inDesiredLength != kAudioUnitParameterName_Full) {
      const int n = idName.inDesiredLength < 31 ? (int)idName.inDesiredLength : 31;
      cStr[n < 0 ? 0 : n] = '\0';
    }
    idName.outName = NewCFString(cStr);
    return noErr;
  }
  static OSStatus GetParameterClumpName(IPlugAU& au, Call& c)
  {
    if (!c.Global()) return noErr;
    AudioUnitParameterNameInfo& clumpInfo = c.Out<AudioUnitParameterNameInfo>();
    if (clumpInfo.inID < 1) return kAudioUnitErr_PropertyNotInUse;
    if (clumpInfo.inID > (UInt32)au.mParamGroups.GetSize()) return kAudioUnitErr_InvalidElement;
    clumpInfo.outName = NewCFString(au.mParamGroups.Get((int)clumpInfo.inID - 1));
    return noErr;
  }
  static OSStatus GetParameterValueFromString(IPlugAU& au, Call& c)
  {
    if (!c.Global()) return noErr;
    AudioUnitParameterValueFromString& vfs = c.Out<AudioUnitParameterValueFromString>();
    IParam* pParam = vfs.inParamID > 0x7fffffff ? nullptr : au.GetParam((int)vfs.inParamID);
    if (!pParam) return kAudioUnitErr_InvalidElement;
    if (!vfs.inString) return kAudioUnitErr_InvalidPropertyValue;
    char cStr[256];
    if (!CFStringGetCString(vfs.inString, cStr, sizeof(cStr), kCFStringEncodingUTF8))
      return kAudioUnitErr_InvalidPropertyValue;
    double value;
    if (pParam->ValueFromText(cStr, kHostTextRule, &value)) vfs.outValue = (AudioUnitParameterValue)value;
    return noErr;
  }
  static OSStatus GetQuality(IPlugAU& au, Call& c)
  {
    c.Out<UInt32>() = (UInt32)au.GetRenderQuality();
    return noErr;
  }
  static OSStatus GetPlugObject(IPlugAU& au, Call& c)
  {
    c.Out<IPlugAU*>() = &au;
    return noErr;
  }
  static OSStatus GetInstrumentCount(IPlugAU&, Call& c)
  {
    c.Out<UInt32>() = 1;
    return noErr;
  }

  // --- sets ---
  static OSStatus SetClassInfo(IPlugAU& au, Call& c);
  static OSStatus SetMakeConnection(IPlugAU& au, Call& c);
  static OSStatus SetSampleRate(IPlugAU& au, Call& c);
  static OSStatus SetStreamFormat(IPlugAU& au, Call& c);
  static OSStatus SetMaximumFrames(IPlugAU& au, Call& c);
  static OSStatus SetBypass(IPlugAU& au, Call& c);
  static OSStatus SetRenderCallback(IPlugAU& au, Call& c);
  static OSStatus SetHostCallbacks(IPlugAU& au, Call& c);
  static OSStatus SetCurrentPreset(IPlugAU& au, Call& c);
  static OSStatus SetOfflineRender(IPlugAU& au, Call& c);
  static OSStatus SetQuality(IPlugAU& au, Call& c);
  static OSStatus SetHostIdentifier(IPlugAU& au, Call& c);
};

// Every property the unit answers, one a line: ID, scopes of the info and get calls, size,
// writable, check, get, set.
// clang-format off
const IPlugAU::Properties::Row IPlugAU::Properties::kRows[] = {
    {kAudioUnitProperty_ClassInfo, kAny, sizeof(CFPropertyListRef), false, ClassInfoWritable, GetClassInfo, SetClassInfo},
    {kAudioUnitProperty_MakeConnection, kGlobalOrInput, sizeof(AudioUnitConnection), true, nullptr, Nothing, SetMakeConnection},
    {kAudioUnitProperty_SampleRate, kAny, sizeof(Float64), true, nullptr, GetSampleRate, SetSampleRate},
    {kAudioUnitProperty_ParameterList, kAny, 0, false, ParameterListSize, GetParameterList, nullptr},
    {kAudioUnitProperty_ParameterInfo, kGlobal, sizeof(AudioUnitParameterInfo), false, ParameterElement, GetParameterInfo, nullptr},
    {kAudioUnitProperty_FastDispatch, kAny, 0, false, FastDispatch, Nothing, nullptr},
    {kAudioUnitProperty_StreamFormat, kAny, sizeof(AudioStreamBasicDescription), true, StreamFormatBus, GetStreamFormat, SetStreamFormat},
    {kAudioUnitProperty_ElementCount, kAny, sizeof(UInt32), false, nullptr, GetElementCount, nullptr},
    {kAudioUnitProperty_Latency, kGlobal, sizeof(Float64), false, nullptr, GetLatency, nullptr},
    {kAudioUnitProperty_SupportedNumChannels, kGlobal, 0, false, ChannelIOSize, GetSupportedNumChannels, nullptr},
    {kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, sizeof(UInt32), true, nullptr, GetMaximumFrames, SetMaximumFrames},
    {kAudioUnitProperty_ParameterValueStrings, kGlobal, sizeof(CFArrayRef), false, HasValueStrings, GetParameterValueStrings, nullptr},
    {kAudioUnitProperty_GetUIComponentList, kAny, sizeof(AudioComponentDescription), false, HasEditor, GetUIComponentList, nullptr},
    {kAudioUnitProperty_AudioChannelLayout, kAny, 0, false, NoChannelLayout, Nothing, nullptr},
    {kAudioUnitProperty_TailTime, kGlobal, sizeof(Float64), false, TailWritable, GetTailTime, nullptr},
    {kAudioUnitProperty_BypassEffect, kGlobal, sizeof(UInt32), true, nullptr, GetBypass, SetBypass},
    {kAudioUnitProperty_LastRenderError, kGlobal, sizeof(OSStatus), false, nullptr, GetLastRenderError, nullptr},
    {kAudioUnitProperty_SetRenderCallback, kGlobalOrInput, sizeof(AURenderCallbackStruct), true, InputBusElement, Nothing, SetRenderCallback},
    {kAudioUnitProperty_FactoryPresets, kAny, sizeof(CFArrayRef), false, nullptr, GetFactoryPresets, nullptr},
    {kAudioUnitProperty_RenderQuality, kGlobal, sizeof(UInt32), true, OffersRenderQuality, GetQuality, SetQuality},
    {kAudioUnitProperty_HostCallbacks, kGlobal, kHostCallbacksSize, true, nullptr, Nothing, SetHostCallbacks},
    {kAudioUnitProperty_CurrentPreset, kAny, sizeof(AUPreset), true, nullptr, GetCurrentPreset, SetCurrentPreset},
    {kAudioUnitProperty_ElementName, kAny, sizeof(CFStringRef), false, ElementNameBus, GetElementName, nullptr},
    {kAudioUnitProperty_CocoaUI, kAny, sizeof(AudioUnitCocoaViewInfo), false, CanDoCocoaUI, GetCocoaUI, nullptr},
    {kAudioUnitProperty_SupportedChannelLayoutTags, kAny, sizeof(AudioChannelLayoutTag), true, LayoutTagsBus, GetChannelLayoutTags, nullptr},
    {kAudioUnitProperty_ParameterStringFromValue, kAny, sizeof(AudioUnitParameterStringFromValue), false, nullptr, GetParameterStringFromValue, nullptr},
    {kAudioUnitProperty_ParameterIDName, kAny, sizeof(AudioUnitParameterIDName), false, nullptr, GetParameterIDName, nullptr},
    {kAudioUnitProperty_ParameterClumpName, kAny, sizeof(AudioUnitParameterNameInfo), false, nullptr, GetParameterClumpName, nullptr},
    {kAudioUnitProperty_PresentPreset, kAny, sizeof(AUPreset), true, nullptr, GetCurrentPreset, SetCurrentPreset},
    {kAudioUnitProperty_OfflineRender, kAny, sizeof(UInt32), true, nullptr, nullptr, SetOfflineRender},
    {kAudioUnitProperty_ParameterValueFromString, kAny, sizeof(AudioUnitParameterValueFromString), false, nullptr, GetParameterValueFromString, nullptr},
    {kAudioUnitProperty_AUHostIdentifier, kAny, sizeof(AUHostIdentifier), true, nullptr, nullptr, SetHostIdentifier},
    {kIPlugObjectPropertyID, kAny, sizeof(IPlugAU*), false, nullptr, GetPlugObject, nullptr},
    {kMusicDeviceProperty_InstrumentCount, kGlobal, sizeof(UInt32), false, IsInstrument, GetInstrumentCount, nullptr},
};
// clang-format on

const IPlugAU::Properties::Row* IPlugAU::Properties::Find(AudioUnitPropertyID id)
{
  for (const Row& row : kRows)
    if (row.id == id) return &row;
  return nullptr;
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, Boolean* pWriteable, void* pData)
{
  Trace(TRACELOC, "%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", (int)propID, AUPropertyStr(propID), (int)scope,
        AUScopeStr(scope), (int)element);
  const Properties::Row* row = Properties::Find(propID);
  if (!row || !row->get || !Properties::InScopes(row->scopes, scope)) return kAudioUnitErr_InvalidProperty;
  PropertyCall call = {scope, element, pData, pDataSize, nullptr, row->size, row->writable, noErr};
  if (row->check && !row->check(*this, call)) return call.status;
  const UInt32 room = *pDataSize;
  *pDataSize = call.size;
  *pWriteable = call.writable;
  if (!pData) return noErr;
  if (room < call.size) return kAudioUnitErr_InvalidPropertyValue;
  return row->get(*this, call);
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
  if (accepted) {
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
  if (pConn->sourceAudioUnit) {
    AudioStreamBasicDescription srcASBD;
    UInt32 size = sizeof(AudioStreamBasicDescription);
    UInt32 destSize = size;
    if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                             pConn->sourceOutputNumber, &srcASBD, &size) != noErr ||
        size < sizeof(AudioStreamBasicDescription) ||
        SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, pConn->destInputNumber, &destSize,
                    &srcASBD) != noErr) {
      result = kAudioUnitErr_InvalidProperty;
    } else {
      pInBusConn->mUpstreamUnit = pConn->sourceAudioUnit;
      pInBusConn->mUpstreamBusIdx = pConn->sourceOutputNumber;
      AudioUnitRenderProc srcRenderProc = nullptr;
      size = sizeof(AudioUnitRenderProc);
      if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &srcRenderProc, &size) == noErr &&
          srcRenderProc) {
        pInBusConn->mUpstreamRenderProc = srcRenderProc;
        pInBusConn->mUpstreamObj = GetComponentInstanceStorage((ComponentInstance)pConn->sourceAudioUnit);
      }
    }
  }
  AssessInputConnections();
  return result;
}

OSStatus IPlugAU::Properties::SetClassInfo(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(CFPropertyListRef)) return kAudioUnitErr_InvalidPropertyValue;
  return au.SetState(c.In<CFPropertyListRef>());
}

OSStatus IPlugAU::Properties::SetQuality(IPlugAU& au, Call& c)
{
  if (!c.Global() || au.GetRenderQuality() < 0) return kAudioUnitErr_InvalidProperty;
  if (c.size < sizeof(UInt32) || c.In<UInt32>() > kRenderQuality_Max) return kAudioUnitErr_InvalidPropertyValue;
  if (!au.SetRenderQuality((int)c.In<UInt32>())) return kAudioUnitErr_InvalidPropertyValue;
  return noErr;
}

OSStatus IPlugAU::Properties::SetMakeConnection(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(AudioUnitConnection)) return kAudioUnitErr_InvalidPropertyValue;
  return au.SetConnection(c.scope, &c.In<AudioUnitConnection>());
}

OSStatus IPlugAU::Properties::SetSampleRate(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(Float64) || !(c.In<Float64>() > 0.0)) return kAudioUnitErr_InvalidPropertyValue;
  au.SetSampleRate(c.In<Float64>());
  au.Reset();
  return noErr;
}

OSStatus IPlugAU::Properties::SetStreamFormat(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(AudioStreamBasicDescription)) return kAudioUnitErr_InvalidPropertyValue;
  return au.SetStreamFormat(c.scope, c.element, &c.In<AudioStreamBasicDescription>());
}

OSStatus IPlugAU::Properties::SetMaximumFrames(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
  const UInt32 frames = c.In<UInt32>();
  if (frames < 1 || frames > kMaxFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
  au.SetBlockSize((int)frames);
  au.Reset();
  return noErr;
}

OSStatus IPlugAU::Properties::SetBypass(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
  const bool bypassed = c.In<UInt32>() != 0;
  au.SetBypassed(bypassed);
  au.OnActivate(!bypassed);
  au.Reset();
  return noErr;
}

OSStatus IPlugAU::Properties::SetRenderCallback(IPlugAU& au, Call& c)
{
  if (c.scope != kAudioUnitScope_Input || c.element >= (UInt32)au.mInBusConnections.GetSize())
    return kAudioUnitErr_InvalidProperty;
  if (c.size < sizeof(AURenderCallbackStruct)) return kAudioUnitErr_InvalidPropertyValue;
  InputBusConnection* pInBusConn = au.mInBusConnections.Get((int)c.element);
  memset(pInBusConn, 0, sizeof(InputBusConnection));
  const AURenderCallbackStruct& callback = c.In<AURenderCallbackStruct>();
  if (callback.inputProc) pInBusConn->mUpstreamRenderCallback = callback;
  au.AssessInputConnections();
  return noErr;
}

OSStatus IPlugAU::Properties::SetHostCallbacks(IPlugAU& au, Call& c)
{
  if (!c.Global()) return kAudioUnitErr_InvalidProperty;
  if (c.size < kHostCallbacksSize) return kAudioUnitErr_InvalidPropertyValue;
  const HostCallbackInfo& info = c.In<HostCallbackInfo>();
  au.mHostCallbacks.hostUserData = info.hostUserData;
  au.mHostCallbacks.beatAndTempoProc = info.beatAndTempoProc;
  au.mHostCallbacks.musicalTimeLocationProc = info.musicalTimeLocationProc;
  au.mHostCallbacks.transportStateProc = info.transportStateProc;
  return noErr;
}

OSStatus IPlugAU::Properties::SetCurrentPreset(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(AUPreset)) return kAudioUnitErr_InvalidPropertyValue;
  au.RestorePreset((int)c.In<AUPreset>().presetNumber);
  return noErr;
}

OSStatus IPlugAU::Properties::SetOfflineRender(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(UInt32)) return kAudioUnitErr_InvalidPropertyValue;
  au.mIsOffline = c.In<UInt32>() != 0;
  return noErr;
}

OSStatus IPlugAU::Properties::SetHostIdentifier(IPlugAU& au, Call& c)
{
  if (c.size < sizeof(AUHostIdentifier)) return kAudioUnitErr_InvalidPropertyValue;
  const AUHostIdentifier& hostID = c.In<AUHostIdentifier>();
  char hostName[256] = "";
  if (hostID.hostName && !CFStringGetCString(hostID.hostName, hostName, sizeof(hostName), kCFStringEncodingUTF8))
    return kAudioUnitErr_InvalidPropertyValue;
  const AUNumVersion& v = hostID.hostVersion;
  const int version = (v.majorRev << 16) + ((v.minorAndBugRev & 0xF0) << 4) + (v.minorAndBugRev & 0x0F);
  au.SetHost(hostName, version);
  au.OnHostIdentified();
  return noErr;
}

OSStatus IPlugAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, const void* pData)
{
  Trace(TRACELOC, "(%d:%s):(%d:%s):%d", (int)propID, AUPropertyStr(propID), (int)scope, AUScopeStr(scope),
        (int)element);
  InformListeners(propID, scope);
  const Properties::Row* row = Properties::Find(propID);
  if (!row || !row->set) return kAudioUnitErr_InvalidProperty;
  PropertyCall call = {scope, element, nullptr, nullptr, pData, pData ? *pDataSize : 0, false, noErr};
  return row->set(*this, call);
}
