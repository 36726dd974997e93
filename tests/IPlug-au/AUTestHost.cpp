#include "AUTestHost.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

const AudioComponentDescription kKelvoDesc = {kAudioUnitType_Effect, FourCC("Kel1"), FourCC("Qlmh"), 0, 0};

std::string KelvoBundlePath()
{
  const char* dir = getenv("KELVO_BUILD_DIR");
  return std::string(dir ? dir : ".") + "/Kelvo.component";
}

AudioComponent KelvoComponent()
{
  static AudioComponent comp = [] {
    OSStatus r = AudioComponentRegisterBundle(KelvoBundlePath().c_str());
    EXPECT_EQ(r, noErr) << KelvoBundlePath();
    return AudioComponentFindNext(nullptr, &kKelvoDesc);
  }();
  return comp;
}

namespace {
Component EntryComponent()
{
  static Component comp = [] {
    ComponentDescription cd = {kAudioUnitType_Effect, FourCC("Kel1"), FourCC("Qlmh"), 0, 0};
    return RegisterComponentBundleEntry(&cd, KelvoBundlePath().c_str(), "Kelvo_Entry");
  }();
  return comp;
}
}  // namespace

TestUnit::TestUnit(bool throughEntry) : mThroughEntry(throughEntry)
{
  if (throughEntry) {
    KelvoComponent();  // makes the bundle known first
    Component comp = EntryComponent();
    EXPECT_NE(comp, nullptr);
    ComponentInstance ci = nullptr;
    EXPECT_EQ(OpenAComponent(comp, &ci), noErr);
    mUnit = ci;
  } else {
    AudioComponent comp = KelvoComponent();
    EXPECT_NE(comp, nullptr);
    EXPECT_EQ(AudioComponentInstanceNew(comp, &mUnit), noErr);
  }
}

TestUnit::~TestUnit()
{
  if (!mUnit) return;
  if (mThroughEntry)
    CloseComponent(mUnit);
  else
    AudioComponentInstanceDispose(mUnit);
}

OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, UInt32 channels, double sampleRate)
{
  return SetProp(unit, kAudioUnitProperty_StreamFormat, scope, 0, FloatFormat(channels, sampleRate));
}

OSStatus SetMaxFrames(AudioUnit unit, UInt32 frames)
{
  return SetProp(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, frames);
}

std::string Text(CFStringRef str)
{
  if (!str) return "";
  char buf[1024];
  return CFStringGetCString(str, buf, sizeof(buf), kCFStringEncodingUTF8) ? buf : "";
}

std::vector<float> TestSignal(size_t n, int channel)
{
  std::vector<float> v(n);
  unsigned seed = 12345u + 777u * channel;
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1664525u + 1013904223u;
    double noise = ((seed >> 8) / 16777216.0 - 0.5) * 0.02;
    double t = (double)i / 44100.0;
    v[i] = (float)(0.6 * sin(2.0 * M_PI * (110.0 + 55.0 * channel) * t) + 0.25 * sin(2.0 * M_PI * 2750.0 * t) + noise);
  }
  return v;
}

RenderHarness::RenderHarness(AudioUnit unit, int nChannels) : mUnit(unit), mChannels(nChannels)
{
  memset(&mList, 0, sizeof(mList));
}

OSStatus RenderHarness::Connect()
{
  AURenderCallbackStruct cb = {Feed, this};
  return SetProp(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb);
}

OSStatus RenderHarness::Feed(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                             AudioBufferList* ioData)
{
  RenderHarness* h = (RenderHarness*)refCon;
  ++h->callbacks;
  for (UInt32 c = 0; c < ioData->mNumberBuffers && c < 2; ++c) {
    float* dst = (float*)ioData->mBuffers[c].mData;
    h->lastScratch[c] = dst;
    for (UInt32 i = 0; i < nFrames; ++i) {
      size_t k = h->mPos + i;
      dst[i] = k < h->source[c].size() ? h->source[c][k] : 0.0f;
    }
  }
  h->mFedFrom = h->mPos;
  return noErr;
}

OSStatus RenderHarness::RenderBlock(UInt32 n, bool nullOutputPointers)
{
  mList.mNumberBuffers = mChannels;
  for (int c = 0; c < mChannels; ++c) {
    mOut[c].assign(n, 0.0f);
    mList.mBuffers[c].mNumberChannels = 1;
    mList.mBuffers[c].mDataByteSize = n * sizeof(float);
    mList.mBuffers[c].mData = nullOutputPointers ? nullptr : mOut[c].data();
  }
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mSampleTime = sampleTime;
  ts.mFlags = timestampFlags;
  AudioUnitRenderActionFlags flags = 0;
  OSStatus r = AudioUnitRender(mUnit, &flags, &ts, 0, n, (AudioBufferList*)&mList);
  if (r != noErr) return r;
  for (int c = 0; c < mChannels; ++c) {
    const float* p = (const float*)mList.mBuffers[c].mData;
    output[c].insert(output[c].end(), p, p + n);
  }
  mPos += n;
  sampleTime += n;
  return noErr;
}

// The generator unit.

int TestGenerator::renders = 0;
int TestGenerator::fastRenders = 0;

namespace {
struct GeneratorRecord
{
  AudioComponentPlugInInterface iface;
  bool fastDispatch;
  std::vector<float> signal[2];
  std::vector<float> own[2];
  AudioComponentInstance ci;
};

GeneratorRecord* gLastGenerator = nullptr;

OSStatus GenRender(GeneratorRecord* g, const AudioTimeStamp* ts, UInt32 nFrames, AudioBufferList* io)
{
  ++TestGenerator::renders;
  size_t start = (size_t)ts->mSampleTime;
  for (UInt32 c = 0; c < io->mNumberBuffers && c < 2; ++c) {
    if (g->signal[c].size() < start + nFrames) g->signal[c] = TestSignal(start + nFrames + 44100, (int)c);
    if (!io->mBuffers[c].mData) {
      g->own[c].resize(nFrames);
      io->mBuffers[c].mData = g->own[c].data();
      io->mBuffers[c].mDataByteSize = nFrames * sizeof(float);
    }
    memcpy(io->mBuffers[c].mData, g->signal[c].data() + start, nFrames * sizeof(float));
  }
  return noErr;
}

OSStatus GenMethodRender(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                         AudioBufferList* io)
{
  return GenRender((GeneratorRecord*)self, ts, nFrames, io);
}

// The fast render function: gets the instance storage, not the record.
OSStatus GenFastRender(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                       AudioBufferList* io)
{
  ++TestGenerator::fastRenders;
  return GenRender(gLastGenerator, ts, nFrames, io);
}

OSStatus GenGetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement elem, void* data,
                        UInt32* size)
{
  GeneratorRecord* g = (GeneratorRecord*)self;
  if (id == kAudioUnitProperty_StreamFormat && scope == kAudioUnitScope_Output && elem == 0) {
    if (*size < sizeof(AudioStreamBasicDescription)) return kAudioUnitErr_InvalidPropertyValue;
    *(AudioStreamBasicDescription*)data = FloatFormat(2);
    *size = sizeof(AudioStreamBasicDescription);
    return noErr;
  }
  if (id == kAudioUnitProperty_FastDispatch && elem == kAudioUnitRenderSelect && g->fastDispatch) {
    *(AudioUnitRenderProc*)data = GenFastRender;
    *size = sizeof(AudioUnitRenderProc);
    return noErr;
  }
  return kAudioUnitErr_InvalidProperty;
}

OSStatus GenNoop(void*) { return noErr; }

AudioComponentMethod GenLookup(SInt16 selector)
{
  switch (selector) {
    case kAudioUnitInitializeSelect:
    case kAudioUnitUninitializeSelect:
      return (AudioComponentMethod)GenNoop;
    case kAudioUnitGetPropertySelect:
      return (AudioComponentMethod)GenGetProperty;
    case kAudioUnitRenderSelect:
      return (AudioComponentMethod)GenMethodRender;
    default:
      return nullptr;
  }
}

OSStatus GenOpen(void* self, AudioComponentInstance ci)
{
  ((GeneratorRecord*)self)->ci = ci;
  gLastGenerator = (GeneratorRecord*)self;
  return noErr;
}

OSStatus GenClose(void* self)
{
  if (gLastGenerator == self) gLastGenerator = nullptr;
  delete (GeneratorRecord*)self;
  return noErr;
}

AudioComponentPlugInInterface* MakeGenerator(bool fast)
{
  GeneratorRecord* g = new GeneratorRecord();
  g->iface.Open = GenOpen;
  g->iface.Close = GenClose;
  g->iface.Lookup = GenLookup;
  g->iface.reserved = nullptr;
  g->fastDispatch = fast;
  return &g->iface;
}

AudioComponentPlugInInterface* GenFactoryFast(const AudioComponentDescription*) { return MakeGenerator(true); }
AudioComponentPlugInInterface* GenFactorySlow(const AudioComponentDescription*) { return MakeGenerator(false); }
}  // namespace

AudioComponent TestGenerator::Component(bool fastDispatch)
{
  static AudioComponent fast = nullptr, slow = nullptr;
  AudioComponent& comp = fastDispatch ? fast : slow;
  if (!comp) {
    AudioComponentDescription desc = {kAudioUnitType_Generator, fastDispatch ? FourCC("TGnF") : FourCC("TGnS"),
                                      FourCC("Test"), 0, 0};
    comp = AudioComponentRegister(&desc, CFSTR("Test: generator"), 1, fastDispatch ? GenFactoryFast : GenFactorySlow);
  }
  return comp;
}

#if defined(__SANITIZE_ADDRESS__)
// The AppKit stand-in keeps one NSBundle per bundle for the life of the process and leaves them
// when its cache is destroyed at exit; that is not a leak of the code under test.
extern "C" const char* __lsan_default_suppressions() { return "leak:NSBundle.cpp\n"; }
#endif
