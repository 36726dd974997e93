// The Audio Unit (version 2) wrapper: everything an Audio Unit host calls on an instance.
// The product class derives from IPlugAU; the entry points that build it come from
// IPlug_include_in_plug_src.h.
#pragma once

#include <AudioToolbox/AudioToolbox.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#include "IPlugBase.h"
#include "base/ptrlist.h"
#include "base/heapbuf.h"
#include "base/wdlstring.h"

// Bundle identifier and Cocoa view-factory class name handed to the constructor.
struct IPlugInstanceInfo
{
  WDL_String mBundleID;
  WDL_String mCocoaViewFactoryClassName;
};

// Builds the product object, in place at memory or with new when memory is null, one at a
// time across the process. Defined by the product's entry file.
void* MakePlug(void* memory);

class IPlugAU : public IPlugBase
{
public:
  // The wrapper's buses follow the base's channel records; see the member comments.
  IPlugAU(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
          const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
          bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IPlugAU() override;

  // Host notifications.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;

  // Transport as the host reports it through its callbacks.
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;

  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  void SetBlockSize(int blockSize) override;

  // How an input bus is fed.
  enum EAUInputType { eNotConnected = 0, eDirectFastProc, eDirectNoFastProc, eRenderCallback };

  // One bus: the host's view of a run of plug-in channels.
  struct BusChannels
  {
    bool mConnected;     // inputs: has a source; outputs: rendered since the last clearing
    int mNHostChannels;  // from the host's stream format; -1 while unset
    int mNPlugChannels;
    int mPlugChannelStartIdx;
  };

  // What feeds one input bus.
  struct InputBusConnection
  {
    void* mUpstreamObj;
    AudioUnit mUpstreamUnit;
    UInt32 mUpstreamBusIdx;
    AudioUnitRenderProc mUpstreamRenderProc;
    AURenderCallbackStruct mUpstreamRenderCallback;
    EAUInputType mInputType;
  };

  struct PropertyListener
  {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  struct RenderNotify
  {
    AURenderCallback mFunc;
    void* mRefCon;
  };

  // One old-style view component instance: its handle and the plug-in it edits.
  struct CarbonViewRecord
  {
    ComponentInstance mCI;
    IPlugAU* mPlug;
  };

  // Component-manager entry of the unit and of its old-style view.
  static ComponentResult IPlugAUEntry(ComponentParameters* params, void* pPlug);
  static ComponentResult IPlugAUCarbonViewEntry(ComponentParameters* params, void* pView);

  // The factory record: the platform's interface, then the product's construction pair,
  // then the product object itself.
  struct FactoryRecord
  {
    AudioComponentPlugInInterface mInterface;
    void* (*mConstruct)(void* memory);
    void (*mDestruct)(void* obj);
    void* mUnused[2];
  };
  // Fills record's head with Open, Close, Lookup and the construction pair.
  static void InitFactoryRecord(FactoryRecord* record, void* (*construct)(void*));
  // The instance that lives right after a factory record head.
  static IPlugAU* PlugFromRecord(void* record);

  // Do counterparts of the methods that Lookup hands out; they take the instance.
  static OSStatus DoInitialize(IPlugAU* _this);
  static OSStatus DoUninitialize(IPlugAU* _this);
  static OSStatus DoGetPropertyInfo(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope,
                                    AudioUnitElement elem, UInt32* pOutDataSize, Boolean* pOutWritable);
  static OSStatus DoGetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                void* pOutData, UInt32* pIODataSize);
  static OSStatus DoSetProperty(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                const void* pInData, UInt32 dataSize);
  static OSStatus DoAddPropertyListener(IPlugAU* _this, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                        void* pUserData);
  static OSStatus DoRemovePropertyListener(IPlugAU* _this, AudioUnitPropertyID prop,
                                           AudioUnitPropertyListenerProc proc);
  static OSStatus DoRemovePropertyListenerWithUserData(IPlugAU* _this, AudioUnitPropertyID prop,
                                                       AudioUnitPropertyListenerProc proc, void* pUserData);
  static OSStatus DoAddRenderNotify(IPlugAU* _this, AURenderCallback proc, void* pUserData);
  static OSStatus DoRemoveRenderNotify(IPlugAU* _this, AURenderCallback proc, void* pUserData);
  static OSStatus DoGetParameter(IPlugAU* _this, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement elem, AudioUnitParameterValue* pValue);
  static OSStatus DoSetParameter(IPlugAU* _this, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement elem, AudioUnitParameterValue value, UInt32 offsetFrames);
  static OSStatus DoScheduleParameters(IPlugAU* _this, const AudioUnitParameterEvent* pEvent, UInt32 nEvents);
  static OSStatus DoRender(IPlugAU* _this, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                           UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList);
  static OSStatus DoReset(IPlugAU* _this);
  static OSStatus DoMIDIEvent(IPlugAU* _this, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetFrames);
  static OSStatus DoSysEx(IPlugAU* _this, const UInt8* pData, UInt32 length);

  // Bus of a scope (global means output) and element, or null.
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
  // Sum of the host channel counts set on the buses of pBuses except excludeIdx; -1 when none is set.
  static int NHostChannelsConnected(WDL_PtrList<BusChannels>* pBuses, int excludeIdx);
  // Whether the host's channel counts on all buses form a legal layout.
  bool CheckLegalIO();
  // Whether nChannels on one bus of scope would form a legal layout.
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  // Classifies every input connection and marks the plug-in's input channels to match.
  void AssessInputConnections();
  // Returns every bus and input connection to the unset, unconnected state.
  void ClearConnections();
  // Layout tag for a channel count.
  static UInt32 GetTagForNumChannels(int numChannels);
  // Number of layout tags of a bus (0 or 1); writes the tag when pTags is non-null.
  UInt32 GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags);
  // The wrapper's default stream format: 32-bit float, packed, interleaved or not.
  static void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved);

  // Name of an input kind for the trace log.
  static const char* AUInputTypeStr(int type);

  // The class-info dictionary of the current state, and its restoration.
  OSStatus GetState(CFPropertyListRef* ppPropList);
  OSStatus SetState(CFPropertyListRef pPropList);

  // Info (pData null) or value of a property. Caller holds the mutex.
  OSStatus GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element, UInt32* pDataSize,
                       Boolean* pWriteable, void* pData);
  // Applies a property. Caller holds the mutex.
  OSStatus SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element, UInt32* pDataSize,
                       const void* pData);
  // Calls every listener of propID.
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);
  // Sends one parameter event (scope and element 0) to the platform.
  void SendAUEvent(AudioUnitEventType type, AudioComponentInstance ci, int idx);

  // The fast-dispatch answer: none offered.
  static OSStatus GetProc(AudioUnitElement type, UInt32* pDataSize, void* pData);
  static OSStatus GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* pValue);
  static OSStatus SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 offsetFrames);
  static OSStatus RenderProc(void* pPlug, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                             UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList);

  AudioComponentInstance GetInstanceHandle() const { return mCI; }
  void SetInstanceHandle(AudioComponentInstance ci);
  bool IsActive() const { return mActive; }

  // The private property that answers the plug-in object's address.
  static const AudioUnitPropertyID kIPlugObjectPropertyID = (AudioUnitPropertyID)-101;
  // Channels one input bus may carry (the size of the render's on-stack buffer list).
  static const int kMaxBusChannels = 128;
  // The largest maximum-frames-per-slice a host may set.
  static const UInt32 kMaxFramesPerSlice = 65536;
  // The host-callback record as this wrapper reads it: user data and three callbacks.
  static const UInt32 kHostCallbacksSize = 4 * sizeof(void*);

private:
  // One property call, and the table of properties with their handlers (IPlugAU_props.cpp).
  struct PropertyCall;
  struct Properties;

  OSStatus SetStreamFormat(AudioUnitScope scope, AudioUnitElement element, const AudioStreamBasicDescription* pASBD);
  OSStatus SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn);
  OSStatus GetParameterInfo(AudioUnitElement element, AudioUnitParameterInfo* pInfo);
  OSStatus GetFactoryPresets(CFArrayRef* ppArray);
  bool CanDoCocoaUI();
  // Calls the render-notify records' callbacks [0, n) with the given action flag.
  void NotifyRender(int n, AudioUnitRenderActionFlags action, const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                    UInt32 nFrames, AudioBufferList* pBufferList);
  OSStatus PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames);

  WDL_String mCocoaViewFactoryClassName;
  char mParamDisplayStr[32];
  AudioComponentInstance mCI;
  bool mActive, mIsOffline;
  double mRenderTimestamp, mTempo;
  HostCallbackInfo mHostCallbacks;
  WDL_TypedBuf<float> mInScratchBuf, mOutScratchBuf;
  WDL_PtrList<RenderNotify> mRenderNotify;
  WDL_PtrList<BusChannels> mInBuses, mOutBuses;
  WDL_PtrList<InputBusConnection> mInBusConnections;
  WDL_PtrList<PropertyListener> mPropertyListeners;
};
