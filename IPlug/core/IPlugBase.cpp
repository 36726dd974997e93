#include "IPlugBase.h"

#include <cstdio>
#include <cstring>

#include "DenormalGuard.h"
#include "Log.h"

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                     int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mChannelIO(true),
      mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mHost(kHostUninit),
      mHostVersion(0),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mDoesMIDI(plugDoesMidi),
      mIsBypassed(false),
      mCurrentPresetIdx(0),
      mSampleRate(44100.0),
      mBlockSize(0),
      mLatency(latency),
      mTailSize(0),
      mGraphics(nullptr),
      mParams(true),
      mPresets(true),
      mInChannels(true),
      mOutChannels(true),
      mInputBusLabels(true),
      mOutputBusLabels(true)
{
  Trace(TRACELOC, "%s", effectName ? effectName : "");

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  CopyText(mEffectName, MAX_EFFECT_NAME_LEN, effectName);
  CopyText(mProductName, MAX_EFFECT_NAME_LEN, productName);
  CopyText(mMfrName, MAX_EFFECT_NAME_LEN, mfrName);

  int nInputs = 0, nOutputs = 0;
  for (const char* p = channelIOStr; p;) {
    int nIn = 0, nOut = 0;
    sscanf(p, "%d-%d", &nIn, &nOut);
    mChannelIO.Add(new ChannelIO(nIn, nOut));
    if (nIn > nInputs) nInputs = nIn;
    if (nOut > nOutputs) nOutputs = nOut;
    p = strchr(p, ' ');
    if (p) ++p;
  }

  mInData.Resize(nInputs);
  mOutData.Resize(nOutputs);
  for (int i = 0; i < nInputs; ++i) {
    InChannel* pInput = new InChannel;
    pInput->mSrc = mInData.Get() + i;
    *pInput->mSrc = nullptr;
    mInChannels.Add(pInput);
  }
  for (int i = 0; i < nOutputs; ++i) {
    OutChannel* pOutput = new OutChannel;
    pOutput->mDest = mOutData.Get() + i;
    *pOutput->mDest = nullptr;
    mOutChannels.Add(pOutput);
  }
}

IPlugBase::~IPlugBase()
{
  Trace(TRACELOC, "%s", mEffectName);
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
}

void IPlugBase::Reset() { WDL_MutexLock lock(&mMutex); }

void IPlugBase::OnParamChange(int paramIdx)
{
  (void)paramIdx;
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::OnActivate(bool active)
{
  (void)active;
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  PassThrough(inputs, outputs, nFrames);
}

void IPlugBase::PassThrough(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const int nIn = NInChannels(), nOut = NOutChannels();
  const int n = nIn < nOut ? nIn : nOut;
  for (int i = 0; i < nOut; ++i) {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < n ? inputs[i] : nullptr;
    if (in) {
      if (in != out) memmove(out, in, (size_t)nFrames * sizeof(double));
    } else {
      memset(out, 0, (size_t)nFrames * sizeof(double));
    }
  }
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* pMsg) { SendMidiMsg(pMsg); }

bool IPlugBase::MidiNoteName(int noteNumber, char* rName)
{
  (void)noteNumber;
  *rName = '\0';
  return false;
}

bool IPlugBase::CompareState(const unsigned char* pIncomingState, int startPos)
{
  const int n = NParams();
  if (n && (!pIncomingState || startPos < 0)) return false;
  for (int i = 0; i < n; ++i) {
    double d;
    memcpy(&d, pIncomingState + (size_t)(startPos + i) * sizeof(double), sizeof(double));
    const float diff = (float)GetParam(i)->Value() - (float)d;
    if (!(diff < 1e-5f && diff > -1e-5f)) return false;
  }
  return true;
}

void IPlugBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  WDL_MutexLock lock(&mMutex);
  IParam* pParam = GetParam(paramIdx);
  if (!pParam) return;
  pParam->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IPlugBase::AttachGraphics(IEditor* pGraphics)
{
  if (!pGraphics) return;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0, n = NParams(); i < n; ++i) pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  pGraphics->PrepDraw();
  if (mGraphics != pGraphics) delete mGraphics;
  mGraphics = pGraphics;
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics) return;
  for (int i = 0, n = NParams(); i < n; ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

namespace {
// Resizes a channel's scratch buffer to n zeroed samples and moves the channel's pointer-array entry
// along when it read or wrote the old storage; returns the size reached.
int ResizeScratch(WDL_TypedBuf<double>* pBuf, double** pEntry, int n)
{
  const double* old = pBuf->Get();
  pBuf->Resize(n);
  const int got = pBuf->GetSize();
  if (got) memset(pBuf->Get(), 0, (size_t)got * sizeof(double));
  if (*pEntry == old) *pEntry = pBuf->Get();
  return got;
}
}  // namespace

void IPlugBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  int reached = blockSize;
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    InChannel* pInput = mInChannels.Get(i);
    const int got = ResizeScratch(&pInput->mScratchBuf, pInput->mSrc, blockSize);
    if (got < reached) reached = got;
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* pOutput = mOutChannels.Get(i);
    const int got = ResizeScratch(&pOutput->mScratchBuf, pOutput->mDest, blockSize);
    if (got < reached) reached = got;
  }
  mBlockSize = reached;
}

void IPlugBase::GetChannelIO(int idx, int* pNIn, int* pNOut) const
{
  const ChannelIO* pIO = mChannelIO.Get(idx);
  *pNIn = pIO ? pIO->mIn : 0;
  *pNOut = pIO ? pIO->mOut : 0;
}

bool IPlugBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* pInput = mInChannels.Get(chIdx);
  return pInput && pInput->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* pOutput = mOutChannels.Get(chIdx);
  return pOutput && pOutput->mConnected;
}

int IPlugBase::GetEffectVersion(bool decimal) const { return decimal ? GetDecimalVersion(mVersion) : mVersion; }

void IPlugBase::GetEffectVersionStr(char* str) const { GetVersionStr(mVersion, str); }

int IPlugBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* str)
{
  GetHost();
  GetVersionStr(mHostVersion, str);
}

void IPlugBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;
  Trace(TRACELOC, "%s %d", host ? host : "", version);
}

const char* IPlugBase::GetAPIString()
{
  switch (GetAPI()) {
    case kAPIVST2:
      return "VST2";
    case kAPIVST3:
      return "VST3";
    case kAPIAU:
      return "AU";
    case kAPIRTAS:
      return "RTAS";
    case kAPIAAX:
      return "AAX";
    case kAPISA:
      return "Standalone";
    case kAPILV2:
      return "LV2";
  }
  return "";
}

double IPlugBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

bool IPlugBase::LegalIO(int nIn, int nOut) const
{
  for (int i = 0, n = NChannelIO(); i < n; ++i) {
    const ChannelIO* pIO = mChannelIO.Get(i);
    if ((nIn < 0 || nIn == pIO->mIn) && (nOut < 0 || nOut == pIO->mOut)) return true;
  }
  return false;
}

void IPlugBase::LimitToStereoIO()
{
  const int nIn = NInChannels(), nOut = NOutChannels();
  if (nIn > 2) SetInputChannelConnections(2, nIn - 2, false);
  if (nOut > 2) SetOutputChannelConnections(2, nOut - 2, true);
}

void IPlugBase::SetInputChannelConnections(int first, int n, bool connected)
{
  const int end = first + n < NInChannels() ? first + n : NInChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    InChannel* pInput = mInChannels.Get(i);
    pInput->mConnected = connected;
    if (!connected) *pInput->mSrc = pInput->mScratchBuf.Get();
  }
}

void IPlugBase::SetOutputChannelConnections(int first, int n, bool connected)
{
  const int end = first + n < NOutChannels() ? first + n : NOutChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    OutChannel* pOutput = mOutChannels.Get(i);
    pOutput->mConnected = connected;
    if (!connected) *pOutput->mDest = pOutput->mScratchBuf.Get();
  }
}

void IPlugBase::SetInputLabel(int chIdx, const char* label)
{
  if (InChannel* pInput = mInChannels.Get(chIdx)) pInput->mLabel.Set(label);
}

void IPlugBase::SetOutputLabel(int chIdx, const char* label)
{
  if (OutChannel* pOutput = mOutChannels.Get(chIdx)) pOutput->mLabel.Set(label);
}

namespace {
// Replaces the label at busIdx (0 or 1), inserting at min(busIdx, list size).
void SetBusLabel(WDL_PtrList<WDL_String>* pLabels, int busIdx, const char* label)
{
  if (busIdx != 0 && busIdx != 1) return;
  pLabels->Delete(busIdx, true);
  const int at = busIdx < pLabels->GetSize() ? busIdx : pLabels->GetSize();
  pLabels->Insert(at, new WDL_String(label));
}
}  // namespace

void IPlugBase::SetInputBusLabel(int busIdx, const char* label) { SetBusLabel(&mInputBusLabels, busIdx, label); }

void IPlugBase::SetOutputBusLabel(int busIdx, const char* label) { SetBusLabel(&mOutputBusLabels, busIdx, label); }

void IPlugBase::AttachInputBuffers(int first, int n, double** ppData, int nFrames)
{
  (void)nFrames;
  const int end = first + n < NInChannels() ? first + n : NInChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    InChannel* pInput = mInChannels.Get(i);
    if (pInput->mConnected) *pInput->mSrc = *ppData++;
  }
}

void IPlugBase::AttachInputBuffers(int first, int n, float** ppData, int nFrames)
{
  const int end = first + n < NInChannels() ? first + n : NInChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    InChannel* pInput = mInChannels.Get(i);
    if (!pInput->mConnected) continue;
    double* pScratch = pInput->mScratchBuf.Get();
    if (nFrames > 0) {
      const float* pIn = *ppData++;
      // Never past the scratch buffer, however many frames the host claims.
      const int m = nFrames < pInput->mScratchBuf.GetSize() ? nFrames : pInput->mScratchBuf.GetSize();
      for (int s = 0; s < m; ++s) pScratch[s] = pIn[s];
    }
    *pInput->mSrc = pScratch;
  }
}

void IPlugBase::AttachOutputBuffers(int first, int n, double** ppData)
{
  const int end = first + n < NOutChannels() ? first + n : NOutChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    OutChannel* pOutput = mOutChannels.Get(i);
    if (pOutput->mConnected) *pOutput->mDest = *ppData++;
  }
}

void IPlugBase::AttachOutputBuffers(int first, int n, float** ppData)
{
  const int end = first + n < NOutChannels() ? first + n : NOutChannels();
  for (int i = first < 0 ? 0 : first; i < end; ++i) {
    OutChannel* pOutput = mOutChannels.Get(i);
    if (!pOutput->mConnected) continue;
    *pOutput->mDest = pOutput->mScratchBuf.Get();
    pOutput->mFDest = *ppData++;
  }
}

void IPlugBase::ConvertOutputs(int nFrames, bool accumulate)
{
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* pOutput = mOutChannels.Get(i);
    const double* pSrc = *pOutput->mDest;
    float* pDest = pOutput->mFDest;
    if (!pOutput->mConnected || !pSrc || !pDest) continue;
    if (accumulate)
      for (int s = 0; s < nFrames; ++s) pDest[s] += (float)pSrc[s];
    else
      for (int s = 0; s < nFrames; ++s) pDest[s] = (float)pSrc[s];
  }
}

int IPlugBase::FramesToProcess(int nFrames) const
{
  if (nFrames < 0) return 0;
  return nFrames < mBlockSize ? nFrames : mBlockSize;
}

void IPlugBase::ProcessBuffers(double sampleType, int nFrames)
{
  (void)sampleType;
  DenormalGuard guard;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), FramesToProcess(nFrames));
}

void IPlugBase::ProcessBuffers(float sampleType, int nFrames)
{
  (void)sampleType;
  DenormalGuard guard;
  nFrames = FramesToProcess(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::ProcessBuffersAccumulating(float sampleType, int nFrames)
{
  (void)sampleType;
  DenormalGuard guard;
  nFrames = FramesToProcess(nFrames);
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, true);
}

void IPlugBase::PassThroughBuffers(double sampleType, int nFrames)
{
  (void)sampleType;
  DenormalGuard guard;
  PassThrough(mInData.Get(), mOutData.Get(), FramesToProcess(nFrames));
}

void IPlugBase::PassThroughBuffers(float sampleType, int nFrames)
{
  (void)sampleType;
  DenormalGuard guard;
  nFrames = FramesToProcess(nFrames);
  PassThrough(mInData.Get(), mOutData.Get(), nFrames);
  ConvertOutputs(nFrames, false);
}

void IPlugBase::ZeroScratchBuffers()
{
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    WDL_TypedBuf<double>& buf = mInChannels.Get(i)->mScratchBuf;
    if (buf.GetSize()) memset(buf.Get(), 0, (size_t)buf.GetSize() * sizeof(double));
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    WDL_TypedBuf<double>& buf = mOutChannels.Get(i)->mScratchBuf;
    if (buf.GetSize()) memset(buf.Get(), 0, (size_t)buf.GetSize() * sizeof(double));
  }
}

void IPlugBase::OnParamReset()
{
  for (int i = 0, n = NParams(); i < n; ++i) OnParamChange(i);
}

void IPlugBase::DirtyParameters()
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0, n = NParams(); i < n; ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs)
{
  bool ok = true;
  IMidiMsg* pMsg = pMsgs->Get();
  for (int i = 0, n = pMsgs->GetSize(); i < n; ++i) ok &= SendMidiMsg(pMsg + i);
  return ok;
}
