// The LV2 wrapper: ports, the run path and the descriptors a host finds through lv2_descriptor.
#include "IPlugLV2.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {
// The widest layout's index (the first of the widest when several tie): the one the base URI names.
int MainChannelIO(const IPlugBase* pPlug)
{
  int best = 0, bestWidth = -1;
  for (int i = 0; i < pPlug->NChannelIO(); ++i) {
    int nIn, nOut;
    pPlug->GetChannelIO(i, &nIn, &nOut);
    if (nIn + nOut > bestWidth) {
      best = i;
      bestWidth = nIn + nOut;
    }
  }
  return best;
}

// The URI fragment of a layout ("mono", "stereo", "NinMout"); empty for the widest.
void LayoutFragment(const IPlugBase* pPlug, int layout, WDL_String* pFragment)
{
  int nIn, nOut;
  pPlug->GetChannelIO(layout, &nIn, &nOut);
  if (layout == MainChannelIO(pPlug))
    pFragment->Set("");
  else if (nIn == nOut && nIn == 1)
    pFragment->Set("mono");
  else if (nIn == nOut && nIn == 2)
    pFragment->Set("stereo");
  else
    pFragment->SetFormatted(64, "%din%dout", nIn, nOut);
}

// A C identifier made from text: other characters become '_', a leading digit gets a '_' in
// front, and an empty result becomes fallback.
void MakeIdentifier(const char* text, const char* fallback, WDL_String* pOut)
{
  pOut->Set("");
  if (text[0] >= '0' && text[0] <= '9') pOut->Append("_");
  for (const char* p = text; *p; ++p) {
    const char c = *p;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    const char s[2] = {ok ? c : '_', 0};
    pOut->Append(s);
  }
  if (!pOut->GetLength()) pOut->Set(fallback);
}

// Fills a block of floats with zeros.
void ZeroFloats(WDL_TypedBuf<float>* pBuf)
{
  if (pBuf->GetSize()) memset(pBuf->Get(), 0, (size_t)pBuf->GetSize() * sizeof(float));
}
}  // namespace

IPlugLV2::IPlugLV2(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                   const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                   int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                   int plugScChans)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2),
      mOffersQuality(-1),
      mPortSymbols(true),
      mPortNames(true),
      mMap(nullptr),
      mQualityControl(nullptr),
      mLastQuality(NAN),
      mLatencyOut(nullptr)
{
  (void)plugScChans;
  mChannelIOIdx = instanceInfo.mChannelIOIdx >= 0 && instanceInfo.mChannelIOIdx < NChannelIO()
                      ? instanceInfo.mChannelIOIdx
                      : MainChannelIO(this);
  GetChannelIO(mChannelIOIdx, &mNAudioIn, &mNAudioOut);
  mBaseURI.Set(instanceInfo.mURI.Get());
  mPluginURI.Set(mBaseURI.Get());
  mPluginName.Set(effectName ? effectName : "");
  WDL_String fragment;
  LayoutFragment(this, mChannelIOIdx, &fragment);
  if (fragment.GetLength()) {
    mPluginURI.AppendFormatted(16 + fragment.GetLength(), "#%s", fragment.Get());
    mPluginName.AppendFormatted(16 + fragment.GetLength(), " (%s)", fragment.Get());
  }

  // The layout's channels are the host's; the others read and write their scratch buffers.
  SetInputChannelConnections(0, mNAudioIn, true);
  SetInputChannelConnections(mNAudioIn, NInChannels() - mNAudioIn, false);
  SetOutputChannelConnections(0, mNAudioOut, true);
  SetOutputChannelConnections(mNAudioOut, NOutChannels() - mNAudioOut, false);

  mControls.Resize(nParams);
  mLastControls.Resize(nParams);
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get()[i] = nullptr;
  for (int i = 0; i < mLastControls.GetSize(); ++i) mLastControls.Get()[i] = NAN;
  mAudioIn.Resize(mNAudioIn);
  mInPieces.Resize(mNAudioIn);
  for (int i = 0; i < mAudioIn.GetSize(); ++i) mAudioIn.Get()[i] = nullptr;
  mAudioOut.Resize(mNAudioOut);
  mOutPieces.Resize(mNAudioOut);
  for (int i = 0; i < mAudioOut.GetSize(); ++i) mAudioOut.Get()[i] = nullptr;
}

IPlugLV2::~IPlugLV2()
{
  mPortSymbols.Empty(true);
  mPortNames.Empty(true);
}

const void* IPlugLV2::FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (int i = 0; features && features[i]; ++i)
    if (features[i]->URI && !strcmp(features[i]->URI, uri)) return features[i]->data;
  return nullptr;
}

void IPlugLV2::StateKeyURI(const char* key, WDL_String* pURI) const
{
  pURI->SetFormatted(mBaseURI.GetLength() + (int)strlen(key) + 2, "%s#%s", mBaseURI.Get(), key);
}

const IPlugLV2::QualityLevel IPlugLV2::kQualityLevels[3] = {{"standard", 0}, {"high", 64}, {"best", 127}};

bool IPlugLV2::OffersQuality() const
{
  if (mOffersQuality < 0) mOffersQuality = const_cast<IPlugLV2*>(this)->GetRenderQuality() >= 0 ? 1 : 0;
  return mOffersQuality == 1;
}

IPlugLV2::EPortKind IPlugLV2::PortKind(int port, int* pIdx) const
{
  *pIdx = -1;
  if (port < 0) return kPortNone;
  if (port < NParams()) {
    *pIdx = port;
    return kPortControlIn;
  }
  port -= NParams();
  if (port < mNAudioIn) {
    *pIdx = port;
    return kPortAudioIn;
  }
  port -= mNAudioIn;
  if (port < mNAudioOut) {
    *pIdx = port;
    return kPortAudioOut;
  }
  port -= mNAudioOut;
  if (OffersQuality() && port < 2) {
    *pIdx = 0;
    return port ? kPortLatency : kPortQuality;
  }
  return kPortNone;
}

void IPlugLV2::MakePortSymbols() const
{
  mPortSymbols.Empty(true);
  mPortNames.Empty(true);
  static const char* const kStereo[2] = {"l", "r"};
  for (int port = 0; port < NPorts(); ++port) {
    int idx;
    const EPortKind kind = PortKind(port, &idx);
    WDL_String* pSymbol = new WDL_String;
    WDL_String* pName = new WDL_String;
    if (kind == kPortControlIn) {
      char fallback[32];
      snprintf(fallback, sizeof(fallback), "param%d", idx);
      pName->Set(mParams.Get(idx)->GetNameForHost());
      MakeIdentifier(pName->Get(), fallback, pSymbol);
      if (!pName->GetLength()) pName->Set(fallback);
    } else if (kind == kPortQuality) {
      pSymbol->Set("quality");
      pName->Set("Quality");
    } else if (kind == kPortLatency) {
      pSymbol->Set("latency");
      pName->Set("Latency");
    } else {
      const bool in = kind == kPortAudioIn;
      const int n = in ? mNAudioIn : mNAudioOut;
      const char* what = in ? "in" : "out";
      if (n == 1)
        pSymbol->Set(what);
      else if (n == 2)
        pSymbol->SetFormatted(16, "%s_%s", what, kStereo[idx]);
      else
        pSymbol->SetFormatted(32, "%s_%d", what, idx + 1);
      pName->SetFormatted(32, "%s", in ? "Input" : "Output");
      if (n == 2)
        pName->AppendFormatted(8, " %c", idx ? 'R' : 'L');
      else if (n > 2)
        pName->AppendFormatted(16, " %d", idx + 1);
    }
    // Symbols are unique among the ports: a repeated one takes the first free suffix.
    WDL_String unique(pSymbol->Get());
    for (int suffix = 2;; ++suffix) {
      bool taken = false;
      for (int j = 0; j < mPortSymbols.GetSize() && !taken; ++j)
        taken = !strcmp(mPortSymbols.Get(j)->Get(), unique.Get());
      if (!taken) break;
      unique.SetFormatted(pSymbol->GetLength() + 16, "%s_%d", pSymbol->Get(), suffix);
    }
    pSymbol->Set(unique.Get());
    mPortSymbols.Add(pSymbol);
    mPortNames.Add(pName);
  }
}

const char* IPlugLV2::PortSymbol(int port) const
{
  if (mPortSymbols.GetSize() != NPorts()) MakePortSymbols();
  const WDL_String* pSymbol = mPortSymbols.Get(port);
  return pSymbol ? pSymbol->Get() : "";
}

const char* IPlugLV2::PortName(int port) const
{
  if (mPortNames.GetSize() != NPorts()) MakePortSymbols();
  const WDL_String* pName = mPortNames.Get(port);
  return pName ? pName->Get() : "";
}

bool IPlugLV2::Init(double sampleRate, const LV2_Feature* const* features)
{
  if (!(sampleRate > 0.0) || !isfinite(sampleRate)) return false;
  OffersQuality();
  mMap = (LV2_URID_Map*)FindFeature(features, LV2_URID__map);
  int blockSize = kDefaultBlockSize;
  const LV2_Options_Option* pOptions = (const LV2_Options_Option*)FindFeature(features, LV2_OPTIONS__options);
  if (mMap && pOptions) {
    const LV2_URID maxBlock = mMap->map(mMap->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID atomInt = mMap->map(mMap->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = pOptions; o->key || o->value; ++o) {
      if (o->context != LV2_OPTIONS_INSTANCE || o->key != maxBlock || o->type != atomInt ||
          o->size != sizeof(int32_t) || !o->value)
        continue;
      const int32_t n = *(const int32_t*)o->value;
      if (n >= 1 && n <= kMaxBlockSize) blockSize = n;
    }
  }

  WDL_MutexLock lock(&mMutex);
  SetSampleRate(sampleRate);
  SetBlockSize(blockSize);
  mSilence.Resize(blockSize);
  mDiscard.Resize(blockSize);
  if (GetBlockSize() != blockSize || mSilence.GetSize() != blockSize || mDiscard.GetSize() != blockSize) return false;
  ZeroFloats(&mSilence);
  OnParamReset();
  return true;
}

void IPlugLV2::ConnectPort(uint32_t port, void* pData)
{
  int idx;
  switch (PortKind(port > 0x7fffffff ? -1 : (int)port, &idx)) {
    case kPortControlIn:
      mControls.Get()[idx] = (const float*)pData;
      break;
    case kPortAudioIn:
      mAudioIn.Get()[idx] = (const float*)pData;
      break;
    case kPortAudioOut:
      mAudioOut.Get()[idx] = (float*)pData;
      break;
    case kPortQuality:
      mQualityControl = (const float*)pData;
      break;
    case kPortLatency:
      mLatencyOut = (float*)pData;
      break;
    case kPortNone:
      break;
  }
}

void IPlugLV2::Activate()
{
  WDL_MutexLock lock(&mMutex);
  Reset();
  OnActivate(true);
}

void IPlugLV2::Deactivate()
{
  WDL_MutexLock lock(&mMutex);
  OnActivate(false);
}

void IPlugLV2::SetParameterFromControl(int paramIdx, float value)
{
  IParam* pParam = GetParam(paramIdx);
  pParam->Set(value);  // clamped into the range
  if (GetGUI()) GetGUI()->SetParameterFromPlug(paramIdx, pParam->Value(), false);
  OnParamChange(paramIdx);
}

void IPlugLV2::Run(uint32_t nFrames)
{
  WDL_MutexLock lock(&mMutex);
  const float* const* controls = mControls.Get();
  for (int i = 0, n = mControls.GetSize(); i < n; ++i) {
    if (!controls[i]) continue;
    const float value = *controls[i];
    // A value that is not a number is refused, as a host-set parameter is.
    if (value == mLastControls.Get()[i] || isnan(value)) continue;
    mLastControls.Get()[i] = value;
    SetParameterFromControl(i, value);
  }
  // The quality, rounded and clamped into 0 ... 127; the plug-in's buffers serve every quality.
  if (mQualityControl && !(*mQualityControl == mLastQuality) && !isnan(*mQualityControl)) {
    mLastQuality = *mQualityControl;
    const float q = mLastQuality < 0.0f ? 0.0f : mLastQuality > 127.0f ? 127.0f : mLastQuality;
    SetRenderQuality((int)lrintf(q));
  }
  if (mLatencyOut) *mLatencyOut = (float)GetLatency();

  const uint32_t block = (uint32_t)GetBlockSize();
  if (!block) return;
  const float* const* audioIn = mAudioIn.Get();
  float* const* audioOut = mAudioOut.Get();
  float** inPieces = mInPieces.Get();
  float** outPieces = mOutPieces.Get();
  for (uint32_t done = 0; done < nFrames;) {
    const int n = (int)(nFrames - done < block ? nFrames - done : block);
    for (int c = 0; c < mNAudioIn; ++c) inPieces[c] = audioIn[c] ? (float*)audioIn[c] + done : mSilence.Get();
    for (int c = 0; c < mNAudioOut; ++c) outPieces[c] = audioOut[c] ? audioOut[c] + done : mDiscard.Get();
    AttachInputBuffers(0, mNAudioIn, inPieces, n);
    AttachOutputBuffers(0, mNAudioOut, outPieces);
    if (IsBypassed())
      PassThroughBuffers(0.0f, n);
    else
      ProcessBuffers(0.0f, n);
    done += (uint32_t)n;
  }
}

// The descriptors.

namespace {
const int kMaxDescriptors = 16;
const int kMaxURILength = 512;

// Built once per load of the binary; plain data, so nothing is left to free at unload.
struct DescriptorTable
{
  int mN;
  const IPlugLV2Factory* mFactory;
  int mChannelIO[kMaxDescriptors];
  char mURI[kMaxDescriptors][kMaxURILength];
  LV2_Descriptor mDescriptor[kMaxDescriptors];
};
DescriptorTable sTable;

LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double sampleRate, const char*,
                       const LV2_Feature* const* features)
{
  const long idx = descriptor - sTable.mDescriptor;
  if (idx < 0 || idx >= sTable.mN) return nullptr;
  IPlugLV2* pPlug = IPlugLV2::MakeInstance((uint32_t)idx, *sTable.mFactory);
  if (pPlug && !pPlug->Init(sampleRate, features)) {
    delete pPlug;
    pPlug = nullptr;
  }
  return pPlug;
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data) { ((IPlugLV2*)instance)->ConnectPort(port, data); }

void Activate(LV2_Handle instance) { ((IPlugLV2*)instance)->Activate(); }

void Run(LV2_Handle instance, uint32_t nFrames) { ((IPlugLV2*)instance)->Run(nFrames); }

void Deactivate(LV2_Handle instance) { ((IPlugLV2*)instance)->Deactivate(); }

void Cleanup(LV2_Handle instance) { delete (IPlugLV2*)instance; }

LV2_State_Status SaveState(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t flags,
                           const LV2_Feature* const* features)
{
  return ((IPlugLV2*)instance)->SaveState(store, handle, flags, features);
}

LV2_State_Status RestoreState(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                              uint32_t flags, const LV2_Feature* const* features)
{
  return ((IPlugLV2*)instance)->RestoreState(retrieve, handle, flags, features);
}

const void* ExtensionData(const char* uri)
{
  static const LV2_State_Interface kState = {SaveState, RestoreState};
  if (uri && !strcmp(uri, LV2_STATE__interface)) return &kState;
  return nullptr;
}

// One descriptor per layout of an instance the factory makes, the widest first; false when none
// can be made or a URI does not fit.
bool BuildTable(const IPlugLV2Factory& factory)
{
  sTable.mN = 0;
  sTable.mFactory = &factory;
  IPlugInstanceInfo info;
  info.mURI.Set(factory.mURI);
  IPlugLV2* pPlug = factory.mMake(info);
  if (!pPlug) return false;
  const int main = MainChannelIO(pPlug);
  bool ok = true;
  for (int k = -1; k < pPlug->NChannelIO() && sTable.mN < kMaxDescriptors; ++k) {
    if (k == main) continue;
    const int layout = k < 0 ? main : k;
    WDL_String uri(factory.mURI), fragment;
    LayoutFragment(pPlug, layout, &fragment);
    if (fragment.GetLength()) uri.AppendFormatted(fragment.GetLength() + 2, "#%s", fragment.Get());
    if (uri.GetLength() >= kMaxURILength) {
      ok = false;
      break;
    }
    const int i = sTable.mN++;
    sTable.mChannelIO[i] = layout;
    memcpy(sTable.mURI[i], uri.Get(), (size_t)uri.GetLength() + 1);
    sTable.mDescriptor[i] = {sTable.mURI[i], Instantiate, ConnectPort,  Activate, Run,
                             Deactivate,     Cleanup,     ExtensionData};
  }
  delete pPlug;
  if (!ok) sTable.mN = 0;
  return ok;
}
}  // namespace

const LV2_Descriptor* IPlugLV2::Descriptor(uint32_t index, const IPlugLV2Factory& factory)
{
  static const bool built = BuildTable(factory);
  if (!built || index >= (uint32_t)sTable.mN) return nullptr;
  return &sTable.mDescriptor[index];
}

IPlugLV2* IPlugLV2::MakeInstance(uint32_t index, const IPlugLV2Factory& factory)
{
  if (!Descriptor(index, factory)) return nullptr;
  IPlugInstanceInfo info;
  info.mURI.Set(factory.mURI);
  info.mChannelIOIdx = sTable.mChannelIO[index];
  return factory.mMake(info);
}
