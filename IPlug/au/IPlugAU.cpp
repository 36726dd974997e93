#include "IPlugAU.h"
#include "Log.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {
const int kDefaultBlockSize = 1024;

// The instance of a factory-record method.
IPlugAU* Plug(void* self) { return IPlugAU::PlugFromRecord(self); }

// The methods that Lookup hands out: each forwards to its Do body.
OSStatus AUMethodInitialize(void* self) { return IPlugAU::DoInitialize(Plug(self)); }
OSStatus AUMethodUninitialize(void* self) { return IPlugAU::DoUninitialize(Plug(self)); }
OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                 UInt32* pOutDataSize, Boolean* pOutWritable)
{
  return IPlugAU::DoGetPropertyInfo(Plug(self), prop, scope, elem, pOutDataSize, pOutWritable);
}
OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                             void* pOutData, UInt32* pIODataSize)
{
  return IPlugAU::DoGetProperty(Plug(self), prop, scope, elem, pOutData, pIODataSize);
}
OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                             const void* pInData, UInt32 dataSize)
{
  return IPlugAU::DoSetProperty(Plug(self), prop, scope, elem, pInData, dataSize);
}
OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                              AudioUnitParameterValue* pValue)
{
  return IPlugAU::DoGetParameter(Plug(self), param, scope, elem, pValue);
}
OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                              AudioUnitParameterValue value, UInt32 offsetFrames)
{
  return IPlugAU::DoSetParameter(Plug(self), param, scope, elem, value, offsetFrames);
}
OSStatus AUMethodReset(void* self, AudioUnitScope, AudioUnitElement) { return IPlugAU::DoReset(Plug(self)); }
OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                     void* pUserData)
{
  return IPlugAU::DoAddPropertyListener(Plug(self), prop, proc, pUserData);
}
OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc)
{
  return IPlugAU::DoRemovePropertyListener(Plug(self), prop, proc);
}
OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID prop,
                                                    AudioUnitPropertyListenerProc proc, void* pUserData)
{
  return IPlugAU::DoRemovePropertyListenerWithUserData(Plug(self), prop, proc, pUserData);
}
OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* pUserData)
{
  return IPlugAU::DoAddRenderNotify(Plug(self), proc, pUserData);
}
OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* pUserData)
{
  return IPlugAU::DoRemoveRenderNotify(Plug(self), proc, pUserData);
}
OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* pEvent, UInt32 nEvents)
{
  return IPlugAU::DoScheduleParameters(Plug(self), pEvent, nEvents);
}
OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                        UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList)
{
  return IPlugAU::DoRender(Plug(self), pFlags, pTimestamp, outputBusIdx, nFrames, pBufferList);
}

// Open: builds the product in place after the head and introduces it to the host.
OSStatus FactoryOpen(void* self, AudioComponentInstance ci)
{
  IPlugAU::FactoryRecord* record = (IPlugAU::FactoryRecord*)self;
  IPlugAU* plug = (IPlugAU*)record->mConstruct(Plug(self));
  plug->SetInstanceHandle(ci);
  plug->HostSpecificInit();
  plug->PruneUninitializedPresets();
  return noErr;
}

// Close: destroys the product and frees the record.
OSStatus FactoryClose(void* self)
{
  IPlugAU::FactoryRecord* record = (IPlugAU::FactoryRecord*)self;
  record->mDestruct(Plug(self));
  free(record);
  return noErr;
}

// The method for a selector, or null.
AudioComponentMethod FactoryLookup(SInt16 selector)
{
  switch (selector) {
    case kAudioUnitInitializeSelect:
      return (AudioComponentMethod)AUMethodInitialize;
    case kAudioUnitUninitializeSelect:
      return (AudioComponentMethod)AUMethodUninitialize;
    case kAudioUnitGetPropertyInfoSelect:
      return (AudioComponentMethod)AUMethodGetPropertyInfo;
    case kAudioUnitGetPropertySelect:
      return (AudioComponentMethod)AUMethodGetProperty;
    case kAudioUnitSetPropertySelect:
      return (AudioComponentMethod)AUMethodSetProperty;
    case kAudioUnitGetParameterSelect:
      return (AudioComponentMethod)AUMethodGetParameter;
    case kAudioUnitSetParameterSelect:
      return (AudioComponentMethod)AUMethodSetParameter;
    case kAudioUnitResetSelect:
      return (AudioComponentMethod)AUMethodReset;
    case kAudioUnitAddPropertyListenerSelect:
      return (AudioComponentMethod)AUMethodAddPropertyListener;
    case kAudioUnitRemovePropertyListenerSelect:
      return (AudioComponentMethod)AUMethodRemovePropertyListener;
    case kAudioUnitRenderSelect:
      return (AudioComponentMethod)AUMethodRender;
    case kAudioUnitAddRenderNotifySelect:
      return (AudioComponentMethod)AUMethodAddRenderNotify;
    case kAudioUnitRemoveRenderNotifySelect:
      return (AudioComponentMethod)AUMethodRemoveRenderNotify;
    case kAudioUnitScheduleParametersSelect:
      return (AudioComponentMethod)AUMethodScheduleParameters;
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return (AudioComponentMethod)AUMethodRemovePropertyListenerWithUserData;
    default:
      return nullptr;
  }
}

void DestructPlug(void* obj) { ((IPlugAU*)obj)->~IPlugAU(); }

IPlugAU::BusChannels* NewBus(int nPlugChannels, int startIdx)
{
  IPlugAU::BusChannels* bus = new IPlugAU::BusChannels;
  bus->mConnected = false;
  bus->mNHostChannels = -1;
  bus->mNPlugChannels = nPlugChannels;
  bus->mPlugChannelStartIdx = startIdx;
  return bus;
}

IPlugAU::InputBusConnection* NewConnection()
{
  IPlugAU::InputBusConnection* conn = new IPlugAU::InputBusConnection;
  memset(conn, 0, sizeof(*conn));
  return conn;
}
}  // namespace

void IPlugAU::InitFactoryRecord(FactoryRecord* record, void* (*construct)(void*))
{
  memset(record, 0, sizeof(*record));
  record->mInterface.Open = FactoryOpen;
  record->mInterface.Close = FactoryClose;
  record->mInterface.Lookup = FactoryLookup;
  record->mConstruct = construct;
  record->mDestruct = DestructPlug;
}

IPlugAU* IPlugAU::PlugFromRecord(void* record) { return (IPlugAU*)((char*)record + sizeof(FactoryRecord)); }

IPlugAU::IPlugAU(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                 const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                 int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU),
      mCI(nullptr),
      mActive(false),
      mIsOffline(false),
      mRenderTimestamp(-1.0),
      mTempo(120.0),
      mRenderNotify(true),
      mInBuses(true),
      mOutBuses(true),
      mInBusConnections(true),
      mPropertyListeners(true)
{
  Trace(TRACELOC, "%s", effectName ? effectName : "");
  memset(mParamDisplayStr, 0, sizeof(mParamDisplayStr));
  memset(&mHostCallbacks, 0, sizeof(mHostCallbacks));
  SetBundleID(instanceInfo.mBundleID.Get());
  mCocoaViewFactoryClassName.Set(instanceInfo.mCocoaViewFactoryClassName.Get());

  const int nInputs = NInChannels(), nOutputs = NOutChannels();
  if (nInputs) {
    if (plugScChans > 0 && plugScChans < nInputs) {
      mInBuses.Add(NewBus(nInputs - plugScChans, 0));
      mInBuses.Add(NewBus(plugScChans, nInputs - plugScChans));
      mInBusConnections.Add(NewConnection());
      mInBusConnections.Add(NewConnection());
      SetInputBusLabel(0, "main input");
    } else {
      mInBuses.Add(NewBus(nInputs, 0));
      mInBusConnections.Add(NewConnection());
      SetInputBusLabel(0, "input");
    }
    SetInputBusLabel(1, "aux input");
  }

  if (plugIsInst) {
    for (int i = 0, start = 0; start < nOutputs; ++i, start += 2) {
      mOutBuses.Add(NewBus(nOutputs - start < 2 ? nOutputs - start : 2, start));
      if (i < 2) {
        char label[32];
        snprintf(label, sizeof(label), "output %i", i + 1);
        SetOutputBusLabel(i, label);
      }
    }
  } else if (nOutputs) {
    mOutBuses.Add(NewBus(nOutputs, 0));
    SetOutputBusLabel(0, "output");
  }

  AssessInputConnections();
  SetBlockSize(kDefaultBlockSize);
}

IPlugAU::~IPlugAU()
{
  // The owning lists free their records; the base destructor runs afterwards.
  mRenderNotify.Empty(true);
  mInBuses.Empty(true);
  mOutBuses.Empty(true);
  mInBusConnections.Empty(true);
  mPropertyListeners.Empty(true);
}

void IPlugAU::SetInstanceHandle(AudioComponentInstance ci) { mCI = ci; }

OSStatus IPlugAU::DoInitialize(IPlugAU* _this)
{
  WDL_MutexLock lock(&_this->mMutex);
  if (!_this->CheckLegalIO()) return badComponentSelector;
  _this->mActive = true;
  _this->OnParamReset();
  _this->OnActivate(true);
  return noErr;
}

OSStatus IPlugAU::DoUninitialize(IPlugAU* _this)
{
  WDL_MutexLock lock(&_this->mMutex);
  _this->mActive = false;
  _this->OnActivate(false);
  return noErr;
}

OSStatus IPlugAU::DoReset(IPlugAU* _this)
{
  WDL_MutexLock lock(&_this->mMutex);
  _this->Reset();
  return noErr;
}

OSStatus IPlugAU::DoAddPropertyListener(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                        void* pUserData)
{
  WDL_MutexLock lock(&_this->mMutex);
  for (int i = 0; i < _this->mPropertyListeners.GetSize(); ++i) {
    PropertyListener* pListener = _this->mPropertyListeners.Get(i);
    if (pListener->mPropID == prop && pListener->mListenerProc == proc) return noErr;
  }
  PropertyListener* pListener = new PropertyListener;
  pListener->mPropID = prop;
  pListener->mListenerProc = proc;
  pListener->mProcArgs = pUserData;
  _this->mPropertyListeners.Add(pListener);
  return noErr;
}

OSStatus IPlugAU::DoRemovePropertyListener(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc)
{
  WDL_MutexLock lock(&_this->mMutex);
  for (int i = 0; i < _this->mPropertyListeners.GetSize(); ++i) {
    PropertyListener* pListener = _this->mPropertyListeners.Get(i);
    if (pListener->mPropID == prop && pListener->mListenerProc == proc) {
      _this->mPropertyListeners.Delete(i, true);
      break;
    }
  }
  return noErr;
}

OSStatus IPlugAU::DoRemovePropertyListenerWithUserData(IPlugAU* _this, AudioUnitPropertyID prop,
                                                       AudioUnitPropertyListenerProc proc, void* pUserData)
{
  WDL_MutexLock lock(&_this->mMutex);
  for (int i = 0; i < _this->mPropertyListeners.GetSize(); ++i) {
    PropertyListener* pListener = _this->mPropertyListeners.Get(i);
    if (pListener->mPropID == prop && pListener->mListenerProc == proc && pListener->mProcArgs == pUserData) {
      _this->mPropertyListeners.Delete(i, true);
      break;
    }
  }
  return noErr;
}

// The render-notify list is read by the render under the instance mutex, so changes take it too.
OSStatus IPlugAU::DoAddRenderNotify(IPlugAU* _this, AURenderCallback proc, void* pUserData)
{
  WDL_MutexLock lock(&_this->mMutex);
  RenderNotify* pNotify = new RenderNotify;
  pNotify->mFunc = proc;
  pNotify->mRefCon = pUserData;
  _this->mRenderNotify.Add(pNotify);
  return noErr;
}

OSStatus IPlugAU::DoRemoveRenderNotify(IPlugAU* _this, AURenderCallback proc, void*)
{
  WDL_MutexLock lock(&_this->mMutex);
  for (int i = 0; i < _this->mRenderNotify.GetSize(); ++i) {
    if (_this->mRenderNotify.Get(i)->mFunc == proc) {
      _this->mRenderNotify.Delete(i, true);
      break;
    }
  }
  return noErr;
}

OSStatus IPlugAU::DoMIDIEvent(IPlugAU* _this, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetFrames)
{
  if (!_this->DoesMIDI()) return badComponentSelector;
  WDL_MutexLock lock(&_this->mMutex);
  IMidiMsg msg(offsetFrames, status, data1, data2);
  _this->ProcessMidiMsg(&msg);
  return noErr;
}

OSStatus IPlugAU::DoSysEx(IPlugAU* _this, const UInt8* pData, UInt32 length)
{
  if (!_this->DoesMIDI()) return badComponentSelector;
  WDL_MutexLock lock(&_this->mMutex);
  ISysEx sysex(0, pData, length);
  _this->ProcessSysEx(&sysex);
  return noErr;
}

OSStatus IPlugAU::GetProc(AudioUnitElement type, UInt32*, void* pData)
{
  Trace(TRACELOC, "%s:(%d:%s)", pData ? "" : "Info", (int)type, AUSelectStr(type));
  return kAudioUnitErr_InvalidElement;
}

// Buses and channel layouts.

IPlugAU::BusChannels* IPlugAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
  if (busIdx > 0x7fffffff) return nullptr;
  switch (scope) {
    case kAudioUnitScope_Global:
    case kAudioUnitScope_Output:
      return mOutBuses.Get((int)busIdx);
    case kAudioUnitScope_Input:
      return mInBuses.Get((int)busIdx);
    default:
      return nullptr;
  }
}

int IPlugAU::NHostChannelsConnected(WDL_PtrList<BusChannels>* pBuses, int excludeIdx)
{
  bool init = false;
  int nCh = 0;
  for (int i = 0; i < pBuses->GetSize(); ++i) {
    int nHost = pBuses->Get(i)->mNHostChannels;
    if (i != excludeIdx && nHost >= 0) {
      nCh += nHost;
      init = true;
    }
  }
  return init ? nCh : -1;
}

bool IPlugAU::CheckLegalIO()
{
  int nIn = NHostChannelsConnected(&mInBuses, -1);
  int nOut = NHostChannelsConnected(&mOutBuses, -1);
  return (!nIn && !nOut) || LegalIO(nIn, nOut);
}

bool IPlugAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  int nIn, nOut;
  if (scope == kAudioUnitScope_Input) {
    int others = NHostChannelsConnected(&mInBuses, busIdx);
    nIn = (others > 0 ? others : 0) + nChannels;
    nOut = mActive ? NHostChannelsConnected(&mOutBuses, -1) : -1;
  } else {
    int others = NHostChannelsConnected(&mOutBuses, busIdx);
    nIn = mActive ? NHostChannelsConnected(&mInBuses, -1) : -1;
    nOut = (others > 0 ? others : 0) + nChannels;
  }
  return LegalIO(nIn, nOut);
}

void IPlugAU::AssessInputConnections()
{
  WDL_MutexLock lock(&mMutex);
  SetInputChannelConnections(0, NInChannels(), false);
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* pBus = mInBuses.Get(i);
    InputBusConnection* pConn = mInBusConnections.Get(i);
    if (pConn->mUpstreamRenderProc && pConn->mUpstreamObj)
      pConn->mInputType = eDirectFastProc;
    else if (pConn->mUpstreamUnit)
      pConn->mInputType = eDirectNoFastProc;
    else if (pConn->mUpstreamRenderCallback.inputProc)
      pConn->mInputType = eRenderCallback;
    else
      pConn->mInputType = eNotConnected;

    pBus->mConnected = pConn->mInputType != eNotConnected;
    if (pBus->mConnected) {
      if (pBus->mNHostChannels < 0) {
        pBus->mNHostChannels = pBus->mNPlugChannels;
        Trace(TRACELOC, "AssumeChannels:%d", pBus->mNHostChannels);
      }
      int nHost = pBus->mNHostChannels, start = pBus->mPlugChannelStartIdx;
      int rest = pBus->mNPlugChannels - nHost;
      SetInputChannelConnections(start, nHost, true);
      SetInputChannelConnections(start + nHost, rest > 0 ? rest : 0, false);
    }
    Trace(TRACELOC, "%d:%s:%d:%d:%d", i, AUInputTypeStr(pConn->mInputType), pBus->mNHostChannels, pBus->mNPlugChannels,
          pBus->mPlugChannelStartIdx);
  }
}

void IPlugAU::ClearConnections()
{
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    mInBuses.Get(i)->mConnected = false;
    mInBuses.Get(i)->mNHostChannels = -1;
  }
  for (int i = 0; i < mOutBuses.GetSize(); ++i) {
    mOutBuses.Get(i)->mConnected = false;
    mOutBuses.Get(i)->mNHostChannels = -1;
  }
  for (int i = 0; i < mInBusConnections.GetSize(); ++i) memset(mInBusConnections.Get(i), 0, sizeof(InputBusConnection));
}

UInt32 IPlugAU::GetTagForNumChannels(int numChannels)
{
  switch (numChannels) {
    case 1:
      return kAudioChannelLayoutTag_Mono;
    case 2:
      return kAudioChannelLayoutTag_Stereo;
    default:
      return kAudioChannelLayoutTag_Unknown;
  }
}

UInt32 IPlugAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags)
{
  if (scope == kAudioUnitScope_Input && !mInBuses.Get(0)) return 0;
  if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output) return 0;
  BusChannels* pBus = GetBus(kAudioUnitScope_Output, element);
  if (!pBus) return 0;
  if (pTags) pTags[0] = GetTagForNumChannels(pBus->mNPlugChannels);
  return 1;
}

void IPlugAU::MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved)
{
  memset(pASBD, 0, sizeof(AudioStreamBasicDescription));
  pASBD->mSampleRate = sampleRate;
  pASBD->mFormatID = kAudioFormatLinearPCM;
  pASBD->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
  pASBD->mBitsPerChannel = 8 * sizeof(float);
  pASBD->mChannelsPerFrame = nChannels;
  pASBD->mFramesPerPacket = 1;
  int nBytes = sizeof(float);
  if (interleaved)
    nBytes *= nChannels;
  else
    pASBD->mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
  pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = nBytes;
}

const char* IPlugAU::AUInputTypeStr(int type)
{
  switch (type) {
    case eDirectFastProc:
      return "DirectFastProc";
    case eDirectNoFastProc:
      return "DirectNoFastProc";
    case eRenderCallback:
      return "RenderCallback";
    default:
      return "NotConnected";
  }
}

// Host notifications.

void IPlugAU::SendAUEvent(AudioUnitEventType type, AudioComponentInstance ci, int idx)
{
  AudioUnitEvent auEvent;
  memset(&auEvent, 0, sizeof(auEvent));
  auEvent.mEventType = type;
  auEvent.mArgument.mParameter.mAudioUnit = ci;
  auEvent.mArgument.mParameter.mParameterID = idx;
  auEvent.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  auEvent.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &auEvent);
}

void IPlugAU::BeginInformHostOfParamChange(int idx)
{
  Trace(TRACELOC, "%d", idx);
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, mCI, idx);
}

void IPlugAU::InformHostOfParamChange(int idx, double normalizedValue)
{
  Trace(TRACELOC, "%d:%f", idx, normalizedValue);
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, mCI, idx);
}

void IPlugAU::EndInformHostOfParamChange(int idx)
{
  Trace(TRACELOC, "%d", idx);
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, mCI, idx);
}

void IPlugAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
    PropertyListener* pListener = mPropertyListeners.Get(i);
    if (pListener->mPropID == propID) pListener->mListenerProc(pListener->mProcArgs, mCI, propID, scope, 0);
  }
}

void IPlugAU::InformHostOfProgramChange() { InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global); }

void IPlugAU::SetLatency(int samples)
{
  // Stored first, so that a listener that asks gets the new latency.
  IPlugBase::SetLatency(samples);
  InformListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global);
}

void IPlugAU::ResizeGraphics(int, int)
{
  if (GetGUI()) OnWindowResize();
}

void IPlugAU::HostSpecificInit()
{
  GetHost();
  OnHostIdentified();
}

EHost IPlugAU::GetHost()
{
  EHost host = IPlugBase::GetHost();
  if (host != kHostUninit) return host;
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  CFStringRef id = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
  if (id) {
    char text[1024];
    if (CFStringGetCString(id, text, sizeof(text), kCFStringEncodingUTF8)) {
      SetHost(text, 0);
      return IPlugBase::GetHost();
    }
  }
  SetHost("", 0);
  return IPlugBase::GetHost();
}

bool IPlugAU::SendMidiMsg(IMidiMsg*) { return false; }
