// Render path, parameter calls and transport queries of the Audio Unit wrapper.
#include "IPlugAU.h"
#include "Log.h"

#include <math.h>
#include <string.h>

namespace {
// An AudioBufferList with room for one bus's channels, on the stack.
struct BusBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[IPlugAU::kMaxBusChannels];
};
}  // namespace

OSStatus IPlugAU::DoRender(IPlugAU* _this, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                           UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList)
{
  WDL_MutexLock lock(&_this->mMutex);
  return RenderProc(_this, pFlags, pTimestamp, outputBusIdx, nFrames, pBufferList);
}

void IPlugAU::NotifyRender(int n, AudioUnitRenderActionFlags action, const AudioTimeStamp* pTimestamp,
                           UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList)
{
  for (int i = 0; i < n; ++i) {
    RenderNotify* pNotify = mRenderNotify.Get(i);
    if (!pNotify) break;
    AudioUnitRenderActionFlags flags = action;
    pNotify->mFunc(pNotify->mRefCon, &flags, pTimestamp, outputBusIdx, nFrames, pBufferList);
  }
}

OSStatus IPlugAU::PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames)
{
  const int nIn = NInChannels();
  for (int i = 0; i < mInBuses.GetSize(); ++i) {
    BusChannels* pBus = mInBuses.Get(i);
    InputBusConnection* pConn = mInBusConnections.Get(i);
    if (!pBus->mConnected) continue;
    const int start = pBus->mPlugChannelStartIdx;
    int nHost = pBus->mNHostChannels;
    if (nHost > nIn - start) nHost = nIn - start;
    if (nHost > kMaxBusChannels) nHost = kMaxBusChannels;

    BusBufferList list;
    list.mNumberBuffers = nHost;
    for (int j = 0; j < nHost; ++j) {
      list.mBuffers[j].mNumberChannels = 1;
      list.mBuffers[j].mDataByteSize = nFrames * sizeof(float);
      list.mBuffers[j].mData = nullptr;
    }
    AudioBufferList* pList = (AudioBufferList*)&list;
    AudioUnitRenderActionFlags flags = 0;
    OSStatus r = noErr;
    switch (pConn->mInputType) {
      case eDirectFastProc:
        r = pConn->mUpstreamRenderProc(pConn->mUpstreamObj, &flags, pTimestamp, pConn->mUpstreamBusIdx, nFrames, pList);
        break;
      case eDirectNoFastProc:
        r = AudioUnitRender(pConn->mUpstreamUnit, &flags, pTimestamp, pConn->mUpstreamBusIdx, nFrames, pList);
        break;
      case eRenderCallback:
        for (int j = 0; j < nHost; ++j) list.mBuffers[j].mData = mInScratchBuf.Get() + (start + j) * nFrames;
        r = pConn->mUpstreamRenderCallback.inputProc(pConn->mUpstreamRenderCallback.inputProcRefCon, &flags, pTimestamp,
                                                     i, nFrames, pList);
        break;
      default:
        break;
    }
    if (r != noErr) return r;

    // The source may hand back its own buffers; each must hold the whole slice.
    if (list.mNumberBuffers < (UInt32)nHost) return kAudioUnitErr_NoConnection;
    for (int j = 0; j < nHost; ++j) {
      float* pData = (float*)list.mBuffers[j].mData;
      if (!pData || list.mBuffers[j].mDataByteSize < nFrames * sizeof(float)) return kAudioUnitErr_NoConnection;
      AttachInputBuffers(start + j, 1, &pData, (int)nFrames);
    }
  }
  mRenderTimestamp = pTimestamp->mSampleTime;
  return noErr;
}

OSStatus IPlugAU::RenderProc(void* pPlug, AudioUnitRenderActionFlags*, const AudioTimeStamp* pTimestamp,
                             UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pBufferList)
{
  IPlugAU* _this = (IPlugAU*)pPlug;
  if (!pTimestamp || !(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid) ||
      outputBusIdx >= (UInt32)_this->mOutBuses.GetSize() || nFrames > (UInt32)_this->GetBlockSize())
    return kAudioUnitErr_InvalidPropertyValue;

  BusChannels* pOutBus = _this->mOutBuses.Get((int)outputBusIdx);
  if (!pBufferList || pBufferList->mNumberBuffers > (UInt32)pOutBus->mNPlugChannels)
    return kAudioUnitErr_InvalidPropertyValue;
  const int nBuffers = (int)pBufferList->mNumberBuffers;
  for (int i = 0; i < nBuffers; ++i) {
    const AudioBuffer& buf = pBufferList->mBuffers[i];
    if (buf.mData && buf.mDataByteSize < nFrames * sizeof(float)) return kAudioUnitErr_InvalidPropertyValue;
  }

  const int nNotify = _this->mRenderNotify.GetSize();
  _this->NotifyRender(nNotify, kAudioUnitRenderAction_PreRender, pTimestamp, outputBusIdx, nFrames, pBufferList);

  const double sampleTime = pTimestamp->mSampleTime;
  if (!(sampleTime == _this->mRenderTimestamp)) {
    OSStatus r = _this->PullInputs(pTimestamp, nFrames);
    if (r != noErr) return r;
  }

  const int start = pOutBus->mPlugChannelStartIdx;
  if (!pOutBus->mConnected || pOutBus->mNHostChannels != nBuffers) {
    int n = (pOutBus->mNHostChannels < 0 || pOutBus->mNHostChannels > nBuffers) ? nBuffers : pOutBus->mNHostChannels;
    int rest = pOutBus->mNPlugChannels - n;
    _this->SetOutputChannelConnections(start, n, true);
    _this->SetOutputChannelConnections(start + n, rest > 0 ? rest : 0, false);
    pOutBus->mConnected = true;
  }

  for (int i = 0; i < nBuffers; ++i) {
    AudioBuffer& buf = pBufferList->mBuffers[i];
    if (!buf.mData) {
      buf.mData = _this->mOutScratchBuf.Get() + (start + i) * nFrames;
      buf.mDataByteSize = nFrames * sizeof(float);
    }
    float* pData = (float*)buf.mData;
    _this->AttachOutputBuffers(start + i, 1, &pData);
  }

  const int nOutBuses = _this->mOutBuses.GetSize();
  int lastConnectedBus = nOutBuses - 1;
  for (int i = 0; i < nOutBuses; ++i) {
    if (!_this->mOutBuses.Get(i)->mConnected) {
      lastConnectedBus = i - 1;
      break;
    }
  }
  if ((int)outputBusIdx == lastConnectedBus) {
    int followingStart = 2 * (outputBusIdx + 1);
    if (lastConnectedBus < nOutBuses - 1)
      _this->SetOutputChannelConnections(followingStart, 2 * nOutBuses - followingStart, false);
    if (_this->IsBypassed())
      _this->PassThroughBuffers(0.0f, (int)nFrames);
    else
      _this->ProcessBuffers(0.0f, (int)nFrames);
  }

  _this->NotifyRender(nNotify, kAudioUnitRenderAction_PostRender, pTimestamp, outputBusIdx, nFrames, pBufferList);
  return noErr;
}

// Parameters.

OSStatus IPlugAU::DoGetParameter(IPlugAU* _this, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement elem, AudioUnitParameterValue* pValue)
{
  return GetParamProc(_this, param, scope, elem, pValue);
}

OSStatus IPlugAU::DoSetParameter(IPlugAU* _this, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement elem, AudioUnitParameterValue value, UInt32 offsetFrames)
{
  return SetParamProc(_this, param, scope, elem, value, offsetFrames);
}

OSStatus IPlugAU::GetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* pValue)
{
  IPlugAU* _this = (IPlugAU*)pPlug;
  Trace(TRACELOC, "%d:(%d:%s):%d", (int)paramID, (int)scope, AUScopeStr(scope), (int)element);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  WDL_MutexLock lock(&_this->mMutex);
  IParam* pParam = paramID > 0x7fffffff ? nullptr : _this->GetParam((int)paramID);
  if (!pParam) return kAudioUnitErr_InvalidElement;
  if (!pValue) return kAudioUnitErr_InvalidParameter;
  *pValue = (AudioUnitParameterValue)pParam->Value();
  return noErr;
}

OSStatus IPlugAU::SetParamProc(void* pPlug, AudioUnitParameterID paramID, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32)
{
  IPlugAU* _this = (IPlugAU*)pPlug;
  Trace(TRACELOC, "%d:(%d:%s):%d", (int)paramID, (int)scope, AUScopeStr(scope), (int)element);
  if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
  WDL_MutexLock lock(&_this->mMutex);
  IParam* pParam = paramID > 0x7fffffff ? nullptr : _this->GetParam((int)paramID);
  if (!pParam) return kAudioUnitErr_InvalidElement;
  if (isnan(value)) return kAudioUnitErr_InvalidPropertyValue;
  double v = value;
  if (v < pParam->GetMin())
    v = pParam->GetMin();
  else if (v > pParam->GetMax())
    v = pParam->GetMax();
  pParam->Set(v);
  if (_this->GetGUI()) _this->GetGUI()->SetParameterFromPlug((int)paramID, value, false);
  _this->OnParamChange((int)paramID);
  return noErr;
}

OSStatus IPlugAU::DoScheduleParameters(IPlugAU* _this, const AudioUnitParameterEvent* pEvent, UInt32 nEvents)
{
  if (!pEvent && nEvents) return kAudioUnitErr_InvalidParameter;
  WDL_MutexLock lock(&_this->mMutex);
  for (UInt32 i = 0; i < nEvents; ++i, ++pEvent) {
    if (pEvent->eventType != kParameterEvent_Immediate) continue;
    OSStatus r = SetParamProc(_this, pEvent->parameter, pEvent->scope, pEvent->element,
                              pEvent->eventValues.immediate.value, pEvent->eventValues.immediate.bufferOffset);
    if (r != noErr) return r;
  }
  return noErr;
}

void IPlugAU::SetBlockSize(int blockSize)
{
  mInScratchBuf.Resize(blockSize * NInChannels());
  mOutScratchBuf.Resize(blockSize * NOutChannels());
  WDL_TypedBuf<float>* bufs[2] = {&mInScratchBuf, &mOutScratchBuf};
  for (WDL_TypedBuf<float>* pBuf : bufs)
    if (pBuf->GetSize()) memset(pBuf->Get(), 0, pBuf->GetSize() * sizeof(float));
  IPlugBase::SetBlockSize(blockSize);
}

// Transport.

bool IPlugAU::IsRenderingOffline() { return mIsOffline; }

int IPlugAU::GetSamplePos()
{
  if (!mHostCallbacks.transportStateProc) return 0;
  Boolean playing, changed, looping;
  Float64 samplePos = 0.0, loopStart, loopEnd;
  mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos, &looping, &loopStart,
                                    &loopEnd);
  return (int)(samplePos + 0.5);
}

double IPlugAU::GetTempo()
{
  if (mHostCallbacks.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

void IPlugAU::GetTimeSig(int* pNum, int* pDenom)
{
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  UInt32 beatOffset = 0, denom = 0;
  Float32 num = 0.0f;
  Float64 downBeat = 0.0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &beatOffset, &num, &denom, &downBeat);
  *pNum = (int)num;
  *pDenom = (int)denom;
}

void IPlugAU::GetTime(ITimeInfo* pTimeInfo)
{
  if (mHostCallbacks.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) pTimeInfo->mTempo = tempo;
    if (beat > 0.0) pTimeInfo->mPPQPos = beat;
  }
  if (mHostCallbacks.transportStateProc) {
    Boolean playing = false, changed = false, looping = false;
    Float64 samplePos = 0.0, loopStart = 0.0, loopEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos, &looping, &loopStart,
                                      &loopEnd);
    if (samplePos > 0.0) pTimeInfo->mSamplePos = samplePos;
    if (loopStart > 0.0) pTimeInfo->mCycleStart = loopStart;
    if (loopEnd > 0.0) pTimeInfo->mCycleEnd = loopEnd;
    pTimeInfo->mTransportIsRunning = playing;
    pTimeInfo->mTransportLoopEnabled = looping;
  }
  if (mHostCallbacks.musicalTimeLocationProc) {
    UInt32 beatOffset = 0, denom = 0;
    Float32 num = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &beatOffset, &num, &denom, &downBeat);
    pTimeInfo->mNumerator = (int)num;
    pTimeInfo->mDenominator = (int)denom;
    if (downBeat > 0.0) pTimeInfo->mLastBar = downBeat;
  }
}
